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
TimerId setThreadTimer(std::uint32_t periodMs, ThreadTimerProc proc);

// Kills a timer from setThreadTimer. False when no such timer runs.
bool killThreadTimer(TimerId id);

// Runs the thread's loop until postQuitMessage; returns the exit code given there.
int runMessageLoop();

// Makes runMessageLoop return `exitCode` once the current dispatch is done.
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

} // namespace gb::platform

extern "C" {
#endif

// C form of runMessageLoopFor, for C programs.
void gb_loop_run_for(unsigned ms);

#ifdef __cplusplus
}
#endif
