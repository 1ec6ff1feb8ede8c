#pragma once
// Loading a shared library at run time by its plain file name and finding its procedures by name.
//
// A plain file name is searched in the Windows order on both systems: the program's own folder
// first (a file found there is the one taken, loadable or not), then the system's search path
// (Windows: system folders and PATH; natively: LD_LIBRARY_PATH, RUNPATH and the system's library
// folders, as dlopen searches). So the native program finds libquarnio.so lying next to it as the
// Windows program finds QUARNIO.DLL, without an RPATH, also where a sanitizer's dlopen wrapper
// hides the program's RUNPATH. A name with a slash is loaded from that path.
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
