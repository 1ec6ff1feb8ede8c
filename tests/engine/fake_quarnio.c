/* A stand-in of the device library for the binding's tests, loaded by file name: the five
 * procedures the program binds, each recording its call for the test to read back through
 * fakeCallCount / fakeCall. Built twice: complete, and without _GetAnalogs (FAKE_WITHOUT_ANALOGS).
 * _OpenDevice gives slot 5 for devices 0-7 and -6 otherwise, as the library does. */

#include <string.h>

enum {
    MaxCalls = 64,
    CallWords = 7
};

static int calls[MaxCalls][CallWords];
static int callCount;

static void record(int procedure, int a, int b, int c, int d, int e, int f) {
    if (callCount < MaxCalls) {
        int* call = calls[callCount];
        call[0] = procedure;
        call[1] = a;
        call[2] = b;
        call[3] = c;
        call[4] = d;
        call[5] = e;
        call[6] = f;
    }
    ++callCount;
}

int _OpenDevice(int device) {
    record(1, device, 0, 0, 0, 0, 0);
    return device >= 0 && device <= 7 ? 5 : -6;
}

int _CloseDevice(int slot) {
    record(2, slot, 0, 0, 0, 0, 0);
    return 0;
}

int _SendQP(int slot, int qp) {
    record(3, slot, qp, 0, 0, 0, 0);
    return 0;
}

int _SendPH(int slot, int ph, int b0, int b1, int b2, int b3) {
    record(4, slot, ph, b0, b1, b2, b3);
    return 0;
}

#ifndef FAKE_WITHOUT_ANALOGS
int _GetAnalogs(int slot, void* buffer) {
    record(5, slot, 0, 0, 0, 0, 0);
    memset(buffer, 0xA5, 64);
    return 0;
}
#endif

int fakeCallCount(void) {
    return callCount;
}

const int* fakeCall(int i) {
    return i >= 0 && i < MaxCalls && i < callCount ? calls[i] : 0;
}
