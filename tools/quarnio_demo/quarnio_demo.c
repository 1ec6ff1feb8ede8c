/* quarnio-demo: loads the device library as any user program would (dlopen by path), opens USB
 * card 1, queues QProc 5 and Pigeon-hole 3 = 1 2 3 4, and runs the shared event loop so the
 * library's poll timer sends the batch.
 *
 *   quarnio-demo [library path] [milliseconds]
 *
 * With QUARNIO_EMULATOR naming the emulator's socket folder, the card is the emulator program.
 */
#include "platform/event_loop.h"

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

typedef int (*IntFn1)(int);
typedef int (*IntFn2)(int, int);
typedef int (*IntFn6)(int, int, int, int, int, int);

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : QUARNIO_DEFAULT_PATH;
    unsigned ms = argc > 2 ? (unsigned)strtoul(argv[2], NULL, 10) : 100u;

    void* library = dlopen(path, RTLD_NOW);
    if (library == NULL) {
        fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
        return 2;
    }
    /* All or nothing: the demo calls none of them unless every one resolved. */
    IntFn1 openDevice = (IntFn1)dlsym(library, "_OpenDevice");
    IntFn1 closeDevice = (IntFn1)dlsym(library, "_CloseDevice");
    IntFn2 sendQP = (IntFn2)dlsym(library, "_SendQP");
    IntFn6 sendPH = (IntFn6)dlsym(library, "_SendPH");
    if (openDevice == NULL || closeDevice == NULL || sendQP == NULL || sendPH == NULL) {
        fprintf(stderr, "%s lacks the device library's entry points\n", path);
        return 2;
    }

    int slot = openDevice(1);
    printf("_OpenDevice(1) = %d\n", slot);
    if (slot < 0) return 1;
    printf("_SendQP(%d, 5) = %d\n", slot, sendQP(slot, 5));
    printf("_SendPH(%d, 3, 1, 2, 3, 4) = %d\n", slot, sendPH(slot, 3, 1, 2, 3, 4));
    gb_loop_run_for(ms);
    printf("ran the loop for %u ms; _CloseDevice(%d) = %d\n", ms, slot, closeDevice(slot));
    fflush(stdout);
    return 0;
}
