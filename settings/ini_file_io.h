#pragma once
// The file operations of the store's INI reader and writer. The store reaches the C library only
// through this, so that a test can make any single step fail (a rename refused, a full disk on
// the third write, a close that cannot flush) and check what is left on disk.

#include <cstdint>
#include <cstdio>

namespace gb {

class IniFileIo {
public:
    virtual ~IniFileIo() = default;

    // fopen. The store opens its files in binary ("rb", "wb", "ab") and handles line ends itself,
    // so both builds read and write the same bytes.
    virtual std::FILE* open(const char* path, const char* mode);
    // One line as fgets(buffer, capacity) would read it in the Windows runtime's text mode: at
    // most capacity - 1 characters, CR LF counting as one, up to and including the line end. The
    // bytes are stored as they are in the file (CR LF stays two bytes, NUL and Ctrl-Z are ordinary
    // bytes), so `buffer` holds capacity + 1 bytes; a zero follows them. The number of bytes
    // stored, 0 at the end, -1 on a read error.
    virtual int readLine(std::FILE* file, char* buffer, int capacity);
    // Writes all `length` bytes or reports false.
    virtual bool write(std::FILE* file, const char* text, std::size_t length);
    // Closes the stream in every case; false when its buffered data could not be written.
    virtual bool close(std::FILE* file);
    virtual bool rename(const char* from, const char* to);
    virtual bool remove(const char* path);
    // Size in bytes, or -1 when the file does not exist.
    virtual std::int64_t size(const char* path);
    // Cuts the file back to `length` bytes.
    virtual bool truncate(const char* path, std::int64_t length);

    // The C library itself; what every store uses unless a test installs another.
    static IniFileIo& standard();
};

} // namespace gb
