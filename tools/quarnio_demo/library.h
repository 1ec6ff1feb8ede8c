#ifndef QUARNIO_DEMO_LIBRARY_H
#define QUARNIO_DEMO_LIBRARY_H
/* Loading the device library at run time, as any user program does: dlopen / dlsym natively,
 * LoadLibraryA / GetProcAddress on Windows (library_posix.c, library_win32.c; CMake picks one). */

/* The library at `path`, or NULL; then demo_library_error() says why. */
void* demo_library_open(const char* path);

/* The entry point `name`, or NULL when the library does not export it. */
void (*demo_library_symbol(void* library, const char* name))(void);

/* Why the last demo_library_open failed, as the system tells it. */
const char* demo_library_error(void);

#endif
