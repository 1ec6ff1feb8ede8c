#include "cockpit/definition_file_io.h"

namespace gb {

std::FILE* DefinitionFileIo::open(const char* path) {
    return std::fopen(path, "rb");
}

int DefinitionFileIo::read(std::FILE* file, char* buffer, int capacity) {
    const std::size_t n = std::fread(buffer, 1, static_cast<std::size_t>(capacity), file);
    // Bytes read before an error are not handed on: a file that cannot be read whole is not read.
    if (std::ferror(file)) return -1;
    return static_cast<int>(n);
}

void DefinitionFileIo::close(std::FILE* file) {
    std::fclose(file);
}

DefinitionFileIo& DefinitionFileIo::standard() {
    static DefinitionFileIo io;
    return io;
}

} // namespace gb
