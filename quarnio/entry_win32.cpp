// QUARNIO.DLL's entry: the loader's reason codes (1 attach, 0 detach, 2 and 3 threads) are the
// load-time entry's own. A FALSE result on attach makes LoadLibrary fail.

#include "quarnio/library.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    return quarnio::loadEntry(static_cast<int>(reason)) ? TRUE : FALSE;
}
