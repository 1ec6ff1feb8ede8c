#include "platform/module_loader.h"

#include <dlfcn.h>

namespace gb::platform {

ModuleHandle loadModule(const char* fileName) {
    if (fileName == nullptr || *fileName == '\0') return nullptr;
    // Everything resolved now, so a library with an unresolved symbol fails here and not at its
    // first call; local, so its names never satisfy another module's.
    return dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
}

void* findSymbol(ModuleHandle module, const char* name) {
    if (module == nullptr || name == nullptr) return nullptr;
    return dlsym(module, name);
}

const char* deviceLibraryName() {
    return "libquarnio.so";
}

} // namespace gb::platform
