#include "platform/module_loader.h"

#include <climits>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace gb::platform {

namespace {

// The program's own folder with `fileName` appended; false when it cannot be told or is too long.
bool besideProgram(const char* fileName, char* path, std::size_t size) {
    const ssize_t length = ::readlink("/proc/self/exe", path, size - 1);
    if (length <= 0) return false;
    path[length] = '\0';
    char* slash = std::strrchr(path, '/');
    if (slash == nullptr) return false;
    const std::size_t folder = static_cast<std::size_t>(slash + 1 - path);
    const std::size_t name = std::strlen(fileName);
    if (folder + name + 1 > size) return false;
    std::memcpy(slash + 1, fileName, name + 1);
    return true;
}

} // namespace

ModuleHandle loadModule(const char* fileName) {
    if (fileName == nullptr || *fileName == '\0') return nullptr;
    // Everything resolved now, so a library with an unresolved symbol fails here and not at its
    // first call; local, so its names never satisfy another module's.
    constexpr int kMode = RTLD_NOW | RTLD_LOCAL;
    if (std::strchr(fileName, '/') == nullptr) {
        // As Windows does, the program's folder first: a file there is the one, loadable or not.
        char path[PATH_MAX];
        if (besideProgram(fileName, path, sizeof path) && ::access(path, F_OK) == 0)
            return dlopen(path, kMode);
    }
    return dlopen(fileName, kMode);
}

void* findSymbol(ModuleHandle module, const char* name) {
    if (module == nullptr || name == nullptr) return nullptr;
    return dlsym(module, name);
}

const char* deviceLibraryName() {
    return "libquarnio.so";
}

} // namespace gb::platform
