#include "tools/quarnio_demo/library.h"

#include <stdio.h>
#include <windows.h>

static char lastError[64];

void* demo_library_open(const char* path) {
    HMODULE library = LoadLibraryA(path);
    if (library == NULL) {
        snprintf(lastError, sizeof lastError, "LoadLibrary failed, error %lu",
                 (unsigned long)GetLastError());
    }
    return (void*)library;
}

void (*demo_library_symbol(void* library, const char* name))(void) {
    return (void (*)(void))GetProcAddress((HMODULE)library, name);
}

const char* demo_library_error(void) {
    return lastError;
}
