#include "settings/ini_file_io.h"

#include <filesystem>
#include <system_error>

namespace gb {

std::FILE* IniFileIo::open(const char* path, const char* mode) {
    return std::fopen(path, mode);
}

int IniFileIo::readLine(std::FILE* file, char* buffer, int capacity) {
    int stored = 0;
    for (int characters = 0; characters < capacity - 1;) {
        const int c = std::getc(file);
        if (c == EOF) break;
        buffer[stored++] = static_cast<char>(c);
        ++characters;
        if (c == '\n') break;
        if (c == '\r') {
            // CR LF is one line end; kept together even when it ends a full piece.
            const int after = std::getc(file);
            if (after == '\n') {
                buffer[stored++] = '\n';
                break;
            }
            if (after != EOF) std::ungetc(after, file);
        }
    }
    buffer[stored] = '\0';
    if (std::ferror(file)) return -1;
    return stored;
}

bool IniFileIo::write(std::FILE* file, const char* text, std::size_t length) {
    return std::fwrite(text, 1, length, file) == length;
}

bool IniFileIo::close(std::FILE* file) {
    return std::fclose(file) == 0;
}

bool IniFileIo::rename(const char* from, const char* to) {
    return std::rename(from, to) == 0;
}

bool IniFileIo::remove(const char* path) {
    return std::remove(path) == 0;
}

std::int64_t IniFileIo::size(const char* path) {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<std::int64_t>(bytes);
}

bool IniFileIo::truncate(const char* path, std::int64_t length) {
    std::error_code error;
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(length), error);
    return !error;
}

IniFileIo& IniFileIo::standard() {
    static IniFileIo io;
    return io;
}

} // namespace gb
