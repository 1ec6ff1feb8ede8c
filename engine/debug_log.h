#pragma once
// The debug log: numbered lines appended to a text file, for "/debug" and for traced
// definitions. The file is opened and closed for every line and never truncated, so it holds the
// program's runs one after the other, each starting with a separator line of 99 "-".

#include <cstdarg>
#include <cstdint>
#include <cstdio>

namespace gb {

// The log's file operations, so that a test can make an open or a write fail.
class DebugFileIo {
public:
    virtual ~DebugFileIo() = default;
    // Opens for appending in text mode (line ends CR LF on Windows, LF elsewhere), creating the
    // file when missing; null on failure.
    virtual std::FILE* openForAppend(const char* path);
    // Writes all `length` bytes or reports false.
    virtual bool write(std::FILE* file, const char* text, std::size_t length);
    // Closes in every case; false when buffered data could not be written.
    virtual bool close(std::FILE* file);

    static DebugFileIo& standard();
};

class DebugLog {
public:
    // A formatted message is cut to this many characters.
    static constexpr int kMaxMessage = 2047;

    explicit DebugLog(DebugFileIo& io = DebugFileIo::standard()) : io_(&io) {}
    DebugLog(const DebugLog&) = delete;
    DebugLog& operator=(const DebugLog&) = delete;

    // Formats the message (printf conventions; it carries its own line end) and appends it as
    // the run's next line "%08ld: <message>", after the separator line when it is the run's
    // first. False when the file cannot be opened or the line cannot be written completely; the
    // line count then stays as it was, so the next line that is written takes the number.
    bool writeLine(const char* path, const char* format, ...) __attribute__((format(printf, 3, 4)));
    bool writeLineV(const char* path, const char* format, std::va_list args)
        __attribute__((format(printf, 3, 0)));

    // Lines written in this run. Wraps around after 2^32 lines instead of overflowing.
    std::int32_t lineCount() const { return static_cast<std::int32_t>(lineCount_); }

    // The program's log, one per process.
    static DebugLog& process();

private:
    DebugFileIo* io_;
    std::uint32_t lineCount_ = 0;
};

// The process's log: DebugLog::process().writeLine(...).
bool writeDebugLine(const char* path, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
std::int32_t debugLineCount();

} // namespace gb
