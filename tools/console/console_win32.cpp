#include "tools/console/console.h"

#include <atomic>
#include <windows.h>

namespace gb::tools {

namespace {
std::atomic<bool> g_stop{false};

// Runs on a thread the system creates; returning TRUE keeps the process alive so the main loop
// can release the block and end normally.
BOOL WINAPI onConsoleControl(DWORD type) {
    if (type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT || type == CTRL_CLOSE_EVENT) {
        g_stop = true;
        return TRUE;
    }
    return FALSE;
}
} // namespace

void installStopHandler() {
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

bool stopRequested() {
    return g_stop;
}

bool stdoutIsTerminal() {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    return out != INVALID_HANDLE_VALUE && out != nullptr && GetConsoleMode(out, &mode) != 0;
}

bool enableAnsiEscapes() {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out == INVALID_HANDLE_VALUE || out == nullptr || !GetConsoleMode(out, &mode)) return false;
    return SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

bool stdoutIsAnsiTerminal() {
    return enableAnsiEscapes();
}

} // namespace gb::tools
