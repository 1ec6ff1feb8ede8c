#include "tools/quarnio_demo/library.h"

#include <dlfcn.h>
#include <string.h>

static char lastError[512];

void* demo_library_open(const char* path) {
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        const char* why = dlerror();
        strncpy(lastError, why != NULL ? why : "unknown error", sizeof lastError - 1);
    }
    return library;
}

void (*demo_library_symbol(void* library, const char* name))(void) {
    void (*entry)(void) = NULL;
    void* address = dlsym(library, name);
    /* POSIX guarantees a function pointer survives the round trip through void*. */
    memcpy(&entry, &address, sizeof entry);
    return entry;
}

const char* demo_library_error(void) {
    return lastError;
}
