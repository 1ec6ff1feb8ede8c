#pragma once
// Thread timers without a window, the thread's message loop, and plain waits.
//
// Windows: SetTimer(NULL, 0, period, proc) / KillTimer(NULL, id); the loop is the thread's
// GetMessage / DispatchMessage loop, which is what dispatches such timers; waits are Sleep.
// Native: one event loop of our own, single-threaded, in the shared library gb_loop
// (libgbloop.so). The program and the device library both link that one library, so a timer the
// library creates fires from the program's loop, only while the loop runs and never inside a call
// into the library, as on Windows.
//
// The native loop can run on a simulated clock for tests: time then moves only when the loop runs
// for a given time or when a wait is made, and timers fire at exactly their due times. Under Wine
// the clock is real; tests accept a range there.
//
// The C functions at the end serve small C programs (the native demo that loads the device
// library with dlopen).

#ifdef __cplusplus
#include <cstdint>

namespace gb::platform {

// Identifies a thread timer; 0 is never a timer.
using TimerId = std::uintptr_t;

// Called on the loop's thread each time the timer falls due. The argument is the timer's id.
using ThreadTimerProc = void (*)(TimerId id);

// Creates a thread timer (SetTimer(NULL, 0, periodMs, ...)). Returns its id, or 0 on failure.
// The period is clamped as a window timer's is (clampTimerPeriod below), as SetTimer does.
TimerId setThreadTimer(std::uint32_t periodMs, ThreadTimerProc proc);

// Kills a timer from setThreadTimer. False when no such timer runs.
bool killThreadTimer(TimerId id);

// Runs the thread's loop until postQuitMessage; returns the exit code given there. Natively,
// when nothing is left that could ever wake the loop (no timer, no standard-input handler,
// nothing posted) it returns -1 at once instead of sleeping for ever, as GetMessage fails.
int runMessageLoop();

// Makes runMessageLoop return `exitCode` once the current dispatch and the commands already
// posted are done (WM_QUIT comes after posted messages, before timers). A second call before the
// loop sees it replaces the code.
void postQuitMessage(int exitCode);

// Runs the loop for `ms` milliseconds, dispatching every timer that falls due, then returns. A
// quit posted meanwhile is kept for runMessageLoop.
void runMessageLoopFor(std::uint32_t ms);

// Waits `ms` milliseconds without dispatching anything (Sleep). On the simulated clock it only
// moves the clock.
void sleepMilliseconds(std::uint32_t ms);

// Milliseconds on the loop's clock (real or simulated); only differences mean anything.
std::uint64_t loopClockMilliseconds();

// Switches the native loop to the simulated clock (true) or back to the real one. Returns false
// where no simulated clock exists (Windows). Timers keep their periods; their next due times are
// counted from the switch.
bool useSimulatedClock(bool on);

// For tests: how many times the native loop has asked the system to wait for its timers or its
// input (poll calls, blocking or not). An idle loop waits once per timer due or input arriving,
// never on a fixed beat. Always 0 on Windows, where the wait is GetMessage's.
std::uint64_t loopWaitCount();

// ---- Loop windows: window timers, commands and close requests -------------------------------
//
// A loop window is a hidden window that receives timers with ids of the caller's choosing,
// commands and close requests, one at a time from the thread's loop. Windows: a real hidden
// top-level window (the handle is its HWND; WM_TIMER, WM_COMMAND and WM_CLOSE reach the handler
// from its window procedure). Native: an entry in the loop's own table; everything, posting
// included, happens on the loop's one thread.

// The same value as platform::WindowHandle (message_box.h): an HWND on Windows.
using LoopWindow = void*;

// Timer periods (window and thread timers) are kept as Windows keeps them: below 10 ms a period
// becomes 10 ms (USER_TIMER_MINIMUM), above 0x7FFFFFFF it becomes 0x7FFFFFFF
// (USER_TIMER_MAXIMUM). A setting of 0, or a negative one taken as unsigned, therefore never spins
// the loop. Natively, timers due at the same time fire in the order they were (re)started; a
// timer that fell behind fires once and is next due a whole period after that dispatch.
inline constexpr std::uint32_t MinimumTimerPeriodMs = 10;
inline constexpr std::uint32_t MaximumTimerPeriodMs = 0x7FFFFFFF;
std::uint32_t clampTimerPeriod(std::uint32_t periodMs);

class LoopWindowHandler {
public:
    virtual ~LoopWindowHandler() = default;
    // A window timer fell due (WM_TIMER), with the id given to setWindowTimer.
    virtual void onTimer(unsigned id) = 0;
    // A command arrived (WM_COMMAND from a menu, a double click or postCommand).
    virtual void onCommand(unsigned command) = 0;
    // A close request (WM_CLOSE, postClose). Nothing is destroyed by the loop itself.
    virtual void onClose() = 0;
    // Whether a command is enabled now. Windows asks it when a pop-up menu owned by the window
    // opens (WM_INITMENUPOPUP) to grey items; the native tray asks it too. Default: enabled.
    virtual bool isCommandEnabled(unsigned command) {
        (void)command;
        return true;
    }
};

// Creates a loop window; null on failure. The handler must outlive the window. Natively at most
// 16 exist at once, with at most 64 timers (window and thread timers together).
LoopWindow createLoopWindow(LoopWindowHandler* handler);
// Destroys it and kills its timers; posted commands not yet dispatched are dropped. A handle of a
// destroyed window is refused by every call below, also natively after its slot is reused.
void destroyLoopWindow(LoopWindow window);

// Starts (or restarts with the new period, SetTimer-like) timer `id` of the window. False when
// the window is unknown or no timer can be made. Ids are the caller's: 0 is a valid id.
bool setWindowTimer(LoopWindow window, unsigned id, std::uint32_t periodMs);
// False when no such timer runs.
bool killWindowTimer(LoopWindow window, unsigned id);

// Queues a command or a close request for the window (PostMessage); dispatched by the loop after
// what is already queued, before any timer. A command is 16 bits wide, as WM_COMMAND's low word
// is: higher bits are dropped on both builds. False for an unknown window or a full queue (natively
// 64 posts wait at most).
bool postCommand(LoopWindow window, unsigned command);
bool postClose(LoopWindow window);
// Delivers a command at once (SendMessage), for a double click on the tray icon. False for an
// unknown window.
bool sendCommand(LoopWindow window, unsigned command);
// Asks the window's handler whether a command is enabled (for the native tray's menu); false for
// an unknown window.
bool isCommandEnabled(LoopWindow window, unsigned command);

// ---- Nested modal loops -------------------------------------------------------------------------
//
// A modal run (a dialog, a message box of our own) runs a loop of its own inside the current
// dispatch. It ends when endModalLoop is called for it, without ending the loops around it; an
// outer run ended first returns as soon as the inner ones have. A quit posted while it runs ends
// it (and every modal run around it) with -1 and is kept for the outer runMessageLoop, as Windows
// re-posts WM_QUIT. A run whose endModalLoop came before it started returns at once. Natively,
// like runMessageLoop, it returns -1 when nothing is left that could wake the loop.
struct ModalLoop {
    bool ended = false;
    int result = 0;
};
// Runs until endModalLoop(modal, ...) and returns its result; -1 when a quit ended it.
int runModalLoop(ModalLoop& modal);
void endModalLoop(ModalLoop& modal, int result);

// ---- Standard input lines (native) --------------------------------------------------------------
//
// The native program's tray and dialogs take commands from standard input. While a handler is
// set, the native loop waits (poll) on standard input as well as on its timers and calls the
// handler once per complete line, without its line end (LF or CR LF); at the end of input (or a
// read error) first with a last line that had no line end, then once with nullptr, after which
// the handler is removed. Lines longer than 4095 characters are cut: the first 4095 are
// delivered, the rest of that line is dropped. NUL bytes are dropped (a C string cannot carry
// them). The loop reads descriptor 0 itself; do not read standard input through stdio as well.
// One line is delivered per dispatch, so a quit or post made for a line comes before the next
// line. The line is the handler's only during the call. On the simulated clock standard input is
// polled without waiting while a timer runs; with no timer at all the loop waits for input.
// setStandardInputHandler(nullptr, ...) removes the handler. Returns false where no such channel
// exists (Windows).
using InputLineHandler = void (*)(void* context, const char* line);
bool setStandardInputHandler(InputLineHandler handler, void* context);

} // namespace gb::platform

extern "C" {
#endif

// C form of runMessageLoopFor, for C programs.
void gb_loop_run_for(unsigned ms);

#ifdef __cplusplus
}
#endif
