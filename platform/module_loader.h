#pragma once
// Loading a shared library at run time by its plain file name and finding its procedures by name.
//
// The file name is searched in the system's usual order. Windows: the program's folder first,
// then the system folders and PATH. Natively a name without a slash searches LD_LIBRARY_PATH, the
// program's RUNPATH and the system's library folders; a program that must find a library lying
// next to it is linked with RUNPATH $ORIGIN (gb_load_modules_beside_program in
// platform/CMakeLists.txt).
//
// A loaded module is never unloaded: the program keeps the procedures it took from it until it
// ends.

namespace gb::platform {

using ModuleHandle = void*;

// LoadLibraryA / dlopen. Null when the module or one of its dependencies cannot be loaded.
ModuleHandle loadModule(const char* fileName);

// GetProcAddress / dlsym. Null when the module does not export the name.
void* findSymbol(ModuleHandle module, const char* name);

// The device library's file name on this system: "QUARNIO.DLL" on Windows, "libquarnio.so"
// natively.
const char* deviceLibraryName();

} // namespace gb::platform
