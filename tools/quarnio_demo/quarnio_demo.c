/* quarnio-demo: loads the device library as any user program would (by path, at run time), opens
 * a card, queues QProc 5 and Pigeon-hole 3 = 1 2 3 4, and runs the message loop so the library's
 * poll timer sends the batch. Written in C against the library's plain entry points. */
#include "platform/event_loop.h"
#include "tools/quarnio_demo/library.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef int (*IntFn1)(int);
typedef int (*IntFn2)(int, int);
typedef int (*IntFn6)(int, int, int, int, int, int);

enum {
    ExitDone = 0,
    ExitNotOpened = 1,
    ExitUsage = 2,
    MaxMilliseconds = 3600000, /* an hour */
    MaxWaitSeconds = 600,
    RetryMilliseconds = 100,
};

static const char usage[] =
    "usage: quarnio-demo [options] [library [milliseconds]]\n"
    "Loads the QUARNIO device library, opens a card, queues QProc 5 and Pigeon-hole 3 = 1 2 3 4,\n"
    "and runs the message loop for the given time (1-3600000 ms, default 100) so the library's\n"
    "30 ms poll sends them to the card as one batch; then closes the card.\n"
    "  library           the library to load (default: " QUARNIO_DEFAULT_PATH ")\n"
    "  --device <n>      which card: 0 = the ISA card, 1-7 = USB card 1-7 (default 1)\n"
    "  --wait <seconds>  keep trying the open this long while the device object is not there\n"
    "                    (-4), e.g. while the card emulator starts (0-600; default 5 with\n"
    "                    QUARNIO_EMULATOR set, else 0)\n"
    "  --help, --version\n"
    "With QUARNIO_EMULATOR naming the card emulator's socket folder (on Windows its pipe prefix),\n"
    "the library talks to the emulator program quarn-emulator instead of the card's driver.\n"
    "Exit status: 0 done, 1 the card did not open, 2 bad arguments or no usable library.\n";

/* A decimal number of digits only, at most `max`; no sign, no spaces, no wrap-around. */
static int parseNumber(const char* text, unsigned long max, unsigned long* value) {
    unsigned long v = 0;
    if (*text == '\0') return 0;
    for (; *text != '\0'; ++text) {
        unsigned digit;
        if (*text < '0' || *text > '9') return 0;
        digit = (unsigned)(*text - '0');
        if (digit > max || v > (max - digit) / 10) return 0;
        v = v * 10 + digit;
    }
    *value = v;
    return 1;
}

static int usageError(const char* what, const char* value) {
    fprintf(stderr, "quarnio-demo: %s: \"%s\" (see quarnio-demo --help)\n", what, value);
    return ExitUsage;
}

/* What a failed _OpenDevice result means, for the message the demo ends with. */
static const char* openFailure(int result) {
    switch (result) {
    case -1:
        return "the card gave no valid answer to the start-up sequence";
    case -3:
        return "all 32 slots are in use";
    case -4:
        return "the device object could not be opened";
    case -6:
        return "the device number is outside 0-7";
    default:
        return "unexpected result";
    }
}

/* What the demo tells after a failed open goes with its result to standard output.
 * -4 has two usual causes: no driver (no QUARNIO_EMULATOR), or no emulator at the address. */
static void explainMissingDevice(const char* address, unsigned long device,
                                 unsigned long waitedMs) {
    if (address == NULL || *address == '\0') {
        printf("  QUARNIO_EMULATOR is not set, so the library asked the card's driver, and none\n"
               "  serves this card. To use the card emulator instead, start\n"
               "    quarn-emulator --device %lu --address <folder>\n"
               "  and run quarnio-demo with QUARNIO_EMULATOR=<folder> (on Windows a pipe "
               "prefix).\n",
               device);
    } else {
        printf("  QUARNIO_EMULATOR is \"%s\", but no card emulator listened there for device %lu\n"
               "  (waited %lu ms). Start quarn-emulator --device %lu --address \"%s\" first.\n",
               address, device, waitedMs, device, address);
    }
}

int main(int argc, char** argv) {
    const char* path = QUARNIO_DEFAULT_PATH;
    const char* emulator = getenv("QUARNIO_EMULATOR");
    unsigned long ms = 100, device = 1, waited = 0;
    /* Only an emulator is expected to appear shortly; a missing driver stays missing. */
    unsigned long waitSeconds = emulator != NULL && *emulator != '\0' ? 5 : 0;
    int positional = 0, optionsEnded = 0, i, slot;
    void* library;
    IntFn1 openDevice, closeDevice;
    IntFn2 sendQP;
    IntFn6 sendPH;

    for (i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (!optionsEnded && strcmp(a, "--") == 0) {
            optionsEnded = 1;
        } else if (!optionsEnded && (strcmp(a, "--help") == 0 || strcmp(a, "-h") == 0)) {
            fputs(usage, stdout);
            return ExitDone;
        } else if (!optionsEnded && strcmp(a, "--version") == 0) {
            printf("quarnio-demo %s\n", QUARNIO_DEMO_VERSION);
            return ExitDone;
        } else if (!optionsEnded && (strcmp(a, "--device") == 0 || strcmp(a, "-d") == 0)) {
            if (++i == argc) return usageError("--device takes 0-7", "");
            if (!parseNumber(argv[i], 7, &device))
                return usageError("--device takes 0 (ISA) or 1-7 (USB)", argv[i]);
        } else if (!optionsEnded && strcmp(a, "--wait") == 0) {
            if (++i == argc) return usageError("--wait takes seconds", "");
            if (!parseNumber(argv[i], MaxWaitSeconds, &waitSeconds))
                return usageError("--wait takes 0-600 seconds", argv[i]);
        } else if (!optionsEnded && a[0] == '-' && a[1] != '\0' && (a[1] < '0' || a[1] > '9')) {
            /* A negative number is no option: it is refused as a number below. */
            return usageError("unknown option", a);
        } else if (positional == 0) {
            path = a;
            ++positional;
        } else if (positional == 1) {
            if (!parseNumber(a, MaxMilliseconds, &ms) || ms == 0)
                return usageError("the loop runs 1-3600000 milliseconds", a);
            ++positional;
        } else {
            return usageError("one library and one time at most", a);
        }
    }

    library = demo_library_open(path);
    if (library == NULL) {
        fprintf(stderr, "quarnio-demo: cannot load %s: %s\n", path, demo_library_error());
        return ExitUsage;
    }
    /* All or nothing: the demo calls none of them unless every one resolved. */
    openDevice = (IntFn1)demo_library_symbol(library, "_OpenDevice");
    closeDevice = (IntFn1)demo_library_symbol(library, "_CloseDevice");
    sendQP = (IntFn2)demo_library_symbol(library, "_SendQP");
    sendPH = (IntFn6)demo_library_symbol(library, "_SendPH");
    if (openDevice == NULL || closeDevice == NULL || sendQP == NULL || sendPH == NULL) {
        fprintf(stderr, "quarnio-demo: %s lacks the device library's entry points\n", path);
        return ExitUsage;
    }

    /* An emulator started just before the demo may not listen yet: its device object is missing
     * (-4) until it does. The loop's own clock paces the retries. */
    while ((slot = openDevice((int)device)) == -4 && waited < waitSeconds * 1000) {
        gb_loop_run_for(RetryMilliseconds);
        waited += RetryMilliseconds;
    }
    printf("_OpenDevice(%lu) = %d\n", device, slot);
    if (slot < 0) {
        printf("  %d: %s\n", slot, openFailure(slot));
        if (slot == -4) explainMissingDevice(emulator, device, waited);
        fflush(stdout);
        return ExitNotOpened;
    }
    printf("_SendQP(%d, 5) = %d\n", slot, sendQP(slot, 5));
    printf("_SendPH(%d, 3, 1, 2, 3, 4) = %d\n", slot, sendPH(slot, 3, 1, 2, 3, 4));
    gb_loop_run_for((unsigned)ms);
    printf("ran the loop for %lu ms; _CloseDevice(%d) = %d\n", ms, slot, closeDevice(slot));
    fflush(stdout);
    return ExitDone;
}
