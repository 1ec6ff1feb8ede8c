#include "platform/event_loop.h"

#include <windows.h>

namespace gb::platform {

namespace {

// SetTimer hands its procedure the id but not our callback, so each module keeps the pairs.
constexpr int MaxTimers = 32;

struct TimerEntry {
    UINT_PTR id;
    ThreadTimerProc proc;
};

TimerEntry timers[MaxTimers];

void CALLBACK dispatchTimer(HWND, UINT, UINT_PTR id, DWORD) {
    for (const TimerEntry& t : timers) {
        if (t.id == id && t.proc != nullptr) {
            t.proc(id);
            return;
        }
    }
}

bool quitPending = false;
int quitPendingCode = 0;

// One message: true when it was WM_QUIT.
bool dispatch(const MSG& msg) {
    if (msg.message == WM_QUIT) return true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return false;
}

} // namespace

TimerId setThreadTimer(std::uint32_t periodMs, ThreadTimerProc proc) {
    if (proc == nullptr) return 0;
    for (TimerEntry& t : timers) {
        if (t.id != 0) continue;
        UINT_PTR id = SetTimer(nullptr, 0, periodMs, dispatchTimer);
        if (id == 0) return 0;
        t.id = id;
        t.proc = proc;
        return id;
    }
    return 0;
}

bool killThreadTimer(TimerId id) {
    for (TimerEntry& t : timers) {
        if (t.id == id && id != 0) {
            t = TimerEntry{};
            return KillTimer(nullptr, id) != 0;
        }
    }
    return false;
}

int runMessageLoop() {
    if (quitPending) {
        quitPending = false;
        return quitPendingCode;
    }
    MSG msg;
    for (;;) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return -1;
        dispatch(msg);
    }
}

void postQuitMessage(int exitCode) {
    PostQuitMessage(exitCode);
}

void runMessageLoopFor(std::uint32_t ms) {
    ULONGLONG deadline = GetTickCount64() + ms;
    MSG msg;
    for (;;) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (dispatch(msg)) {
                // Keep the quit for runMessageLoop, as the native loop does.
                quitPending = true;
                quitPendingCode = static_cast<int>(msg.wParam);
            }
        }
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                  QS_ALLINPUT);
    }
}

void sleepMilliseconds(std::uint32_t ms) {
    Sleep(ms);
}

std::uint64_t loopClockMilliseconds() {
    return GetTickCount64();
}

bool useSimulatedClock(bool on) {
    return !on;
}

} // namespace gb::platform

extern "C" void gb_loop_run_for(unsigned ms) {
    gb::platform::runMessageLoopFor(ms);
}
