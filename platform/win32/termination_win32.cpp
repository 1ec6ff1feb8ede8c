#include "platform/termination_backend.h"

#include <windows.h>

namespace gb::platform::termination_backend {

namespace {

volatile LONG requested = 0;

// Runs on a thread of the system's; the loop's timer picks the flag up.
BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    InterlockedExchange(&requested, 1);
    return TRUE;
}

} // namespace

bool install() {
    InterlockedExchange(&requested, 0);
    return SetConsoleCtrlHandler(onConsoleEvent, TRUE) != 0;
}

void uninstall() {
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
}

bool takeRequest() {
    return InterlockedExchange(&requested, 0) != 0;
}

} // namespace gb::platform::termination_backend
