#include "platform/module_loader.h"

#include <windows.h>

namespace gb::platform {

ModuleHandle loadModule(const char* fileName) {
    if (fileName == nullptr || *fileName == '\0') return nullptr;
    return LoadLibraryA(fileName);
}

void* findSymbol(ModuleHandle module, const char* name) {
    if (module == nullptr || name == nullptr) return nullptr;
    // FARPROC is a generic procedure type; the caller casts the address to the procedure's real
    // type, so hand it over as a plain address.
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

const char* deviceLibraryName() {
    return "QUARNIO.DLL";
}

} // namespace gb::platform
