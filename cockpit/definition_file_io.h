#pragma once
// The file operations of the definition loader. The loader reaches the C library only through
// this, so that a test can make the open or any read fail and see what the loader reports.

#include <cstdio>

namespace gb {

class DefinitionFileIo {
public:
    virtual ~DefinitionFileIo() = default;

    // fopen(path, "rb"): the loader does the runtime's text-mode translation itself, the same way
    // on every build.
    virtual std::FILE* open(const char* path);
    // Up to `capacity` bytes: the number read, 0 at the end of the file, -1 on a read error (an I/O
    // error, or natively a folder, which opens like a file but cannot be read).
    virtual int read(std::FILE* file, char* buffer, int capacity);
    virtual void close(std::FILE* file);

    // The C library itself; what the loader uses unless it is given another.
    static DefinitionFileIo& standard();
};

} // namespace gb
