#include "engine/debug_log.h"

#include <cstring>

namespace gb {

std::FILE* DebugFileIo::openForAppend(const char* path) {
    if (path == nullptr || *path == '\0') return nullptr;
    return std::fopen(path, "at");
}

bool DebugFileIo::write(std::FILE* file, const char* text, std::size_t length) {
    return std::fwrite(text, 1, length, file) == length;
}

bool DebugFileIo::close(std::FILE* file) {
    return std::fclose(file) == 0;
}

DebugFileIo& DebugFileIo::standard() {
    static DebugFileIo io;
    return io;
}

bool DebugLog::writeLine(const char* path, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const bool written = writeLineV(path, format, args);
    va_end(args);
    return written;
}

bool DebugLog::writeLineV(const char* path, const char* format, std::va_list args) {
    char message[kMaxMessage + 1];
    message[0] = '\0';
    if (format != nullptr) std::vsnprintf(message, sizeof message, format, args);
    // Some C runtimes leave a cut message unterminated.
    message[kMaxMessage] = '\0';

    std::FILE* file = io_->openForAppend(path);
    if (file == nullptr) return false;

    static constexpr char kSeparator[] = "------------------------------------------------------"
                                         "---------------------------------------------\n";
    static_assert(sizeof kSeparator - 2 == 99);
    const std::uint32_t number = lineCount_ + 1;
    char prefix[32];
    const int prefixLength = std::snprintf(
        prefix, sizeof prefix, "%08ld: ", static_cast<long>(static_cast<std::int32_t>(number)));

    bool ok = true;
    if (lineCount_ == 0) ok = io_->write(file, kSeparator, sizeof kSeparator - 1);
    ok = ok && io_->write(file, prefix, static_cast<std::size_t>(prefixLength));
    ok = ok && io_->write(file, message, std::strlen(message));
    ok = io_->close(file) && ok;
    if (ok) lineCount_ = number;
    return ok;
}

DebugLog& DebugLog::process() {
    static DebugLog log;
    return log;
}

bool writeDebugLine(const char* path, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const bool written = DebugLog::process().writeLineV(path, format, args);
    va_end(args);
    return written;
}

std::int32_t debugLineCount() {
    return DebugLog::process().lineCount();
}

} // namespace gb
