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

// A WM_QUIT that runMessageLoopFor took from the queue, kept for runMessageLoop (and for the
// modal runs, which it ends).
bool quitPending = false;
int quitPendingCode = 0;

// One message: true when it was WM_QUIT.
bool dispatch(const MSG& msg) {
    if (msg.message == WM_QUIT) return true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return false;
}

// ---- Loop windows
// --------------------------------------------------------------------------------

constexpr const char* LoopWindowClass = "GlowbridgeLoopWindow";

LoopWindowHandler* handlerOf(HWND hwnd) {
    return reinterpret_cast<LoopWindowHandler*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// Enables or greys each item of a pop-up menu as it opens; sub-menus get their own
// WM_INITMENUPOPUP when they open.
void initMenuPopup(HMENU menu, LoopWindowHandler* handler) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        if ((info.fType & MFT_SEPARATOR) != 0 || info.hSubMenu != nullptr) continue;
        UINT state = handler->isCommandEnabled(info.wID) ? MF_ENABLED : MF_GRAYED;
        EnableMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | state);
    }
}

LRESULT CALLBACK loopWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LoopWindowHandler* handler = handlerOf(hwnd);
    if (handler != nullptr) {
        switch (message) {
        case WM_TIMER:
            handler->onTimer(static_cast<unsigned>(wParam));
            return 0;
        case WM_COMMAND:
            handler->onCommand(LOWORD(wParam));
            return 0;
        case WM_CLOSE:
            // Not DefWindowProc's: that would destroy the window.
            handler->onClose();
            return 0;
        case WM_INITMENUPOPUP:
            initMenuPopup(reinterpret_cast<HMENU>(wParam), handler);
            return 0;
        default:
            break;
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The module holding this code: the program, or a DLL that links the loop in.
HINSTANCE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&loopWindowProc), &module);
    return module;
}

bool registerClassOnce() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = loopWindowProc;
    wc.hInstance = thisModule();
    wc.lpszClassName = LoopWindowClass;
    registered = RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

HWND asHwnd(LoopWindow window) {
    HWND hwnd = static_cast<HWND>(window);
    return hwnd != nullptr && IsWindow(hwnd) ? hwnd : nullptr;
}

} // namespace

std::uint32_t clampTimerPeriod(std::uint32_t periodMs) {
    if (periodMs < MinimumTimerPeriodMs) return MinimumTimerPeriodMs;
    if (periodMs > MaximumTimerPeriodMs) return MaximumTimerPeriodMs;
    return periodMs;
}

TimerId setThreadTimer(std::uint32_t periodMs, ThreadTimerProc proc) {
    if (proc == nullptr) return 0;
    for (TimerEntry& t : timers) {
        if (t.id != 0) continue;
        UINT_PTR id = SetTimer(nullptr, 0, clampTimerPeriod(periodMs), dispatchTimer);
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
        if (quitPending) {
            // A runMessageLoopFor inside a dispatch took the quit.
            quitPending = false;
            return quitPendingCode;
        }
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

std::uint64_t loopWaitCount() {
    return 0;
}

LoopWindow createLoopWindow(LoopWindowHandler* handler) {
    if (handler == nullptr || !registerClassOnce()) return nullptr;
    // A hidden pop-up: never shown, but a real top-level window, so it can own the tray's menu.
    HWND hwnd = CreateWindowExA(0, LoopWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                thisModule(), nullptr);
    if (hwnd == nullptr) return nullptr;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(handler));
    return hwnd;
}

void destroyLoopWindow(LoopWindow window) {
    HWND hwnd = asHwnd(window);
    if (hwnd == nullptr) return;
    // Nothing reaches the handler while the window goes; DestroyWindow kills its timers and drops
    // the messages posted to it.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
}

bool setWindowTimer(LoopWindow window, unsigned id, std::uint32_t periodMs) {
    HWND hwnd = asHwnd(window);
    return hwnd != nullptr && SetTimer(hwnd, id, clampTimerPeriod(periodMs), nullptr) != 0;
}

bool killWindowTimer(LoopWindow window, unsigned id) {
    HWND hwnd = asHwnd(window);
    return hwnd != nullptr && KillTimer(hwnd, id) != 0;
}

bool postCommand(LoopWindow window, unsigned command) {
    HWND hwnd = asHwnd(window);
    return hwnd != nullptr && PostMessageA(hwnd, WM_COMMAND, command, 0) != 0;
}

bool postClose(LoopWindow window) {
    HWND hwnd = asHwnd(window);
    return hwnd != nullptr && PostMessageA(hwnd, WM_CLOSE, 0, 0) != 0;
}

bool sendCommand(LoopWindow window, unsigned command) {
    HWND hwnd = asHwnd(window);
    if (hwnd == nullptr) return false;
    SendMessageA(hwnd, WM_COMMAND, command, 0);
    return true;
}

bool isCommandEnabled(LoopWindow window, unsigned command) {
    HWND hwnd = asHwnd(window);
    LoopWindowHandler* handler = hwnd != nullptr ? handlerOf(hwnd) : nullptr;
    return handler != nullptr && handler->isCommandEnabled(command);
}

int runModalLoop(ModalLoop& modal) {
    MSG msg;
    while (!modal.ended) {
        if (quitPending) return -1;
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // End the runs around this one too; runMessageLoop gets the code.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return -1;
        }
        if (got == -1) return -1;
        dispatch(msg);
    }
    return modal.result;
}

void endModalLoop(ModalLoop& modal, int result) {
    modal.ended = true;
    modal.result = result;
}

bool setStandardInputHandler(InputLineHandler, void*) {
    return false;
}

} // namespace gb::platform

extern "C" void gb_loop_run_for(unsigned ms) {
    gb::platform::runMessageLoopFor(ms);
}
