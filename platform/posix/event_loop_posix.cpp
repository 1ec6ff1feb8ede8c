#include "platform/event_loop.h"

#include <ctime>

namespace gb::platform {

namespace {

// Fixed table: the system creates a handful of timers (the library's poll timer, the program's
// two window timers), so a small table keeps the loop free of allocation.
constexpr int MaxTimers = 32;

struct Timer {
    TimerId id = 0;
    std::uint32_t periodMs = 0;
    std::uint64_t dueMs = 0;
    ThreadTimerProc proc = nullptr;
};

struct Loop {
    Timer timers[MaxTimers];
    TimerId nextId = 1;
    bool simulated = false;
    std::uint64_t simulatedNowMs = 0;
    bool quitPosted = false;
    int quitCode = 0;
};

Loop loop;

std::uint64_t realNowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
           static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

std::uint64_t nowMs() {
    return loop.simulated ? loop.simulatedNowMs : realNowMs();
}

void realSleepMs(std::uint64_t ms) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ms / 1000u);
    ts.tv_nsec = static_cast<long>((ms % 1000u) * 1000000u);
    while (nanosleep(&ts, &ts) != 0) {
    }
}

// The timer due first, or null when none runs.
Timer* earliestTimer() {
    Timer* first = nullptr;
    for (Timer& t : loop.timers) {
        if (t.id != 0 && (first == nullptr || t.dueMs < first->dueMs)) first = &t;
    }
    return first;
}

// Dispatches one due timer. Like WM_TIMER, a timer that fell behind fires once and is then due a
// whole period after this dispatch, so a slow step never causes a burst of ticks.
void fire(Timer& t, std::uint64_t now) {
    TimerId id = t.id;
    ThreadTimerProc proc = t.proc;
    t.dueMs = now + t.periodMs;
    proc(id);
}

// Runs the loop until `deadline` (loop clock) or, when `untilQuit`, until a quit is posted.
void run(std::uint64_t deadline, bool untilQuit) {
    for (;;) {
        if (untilQuit && loop.quitPosted) return;
        std::uint64_t now = nowMs();
        if (!untilQuit && now >= deadline) return;
        Timer* next = earliestTimer();
        std::uint64_t wakeAt = untilQuit ? now + 50 : deadline;
        if (next != nullptr && next->dueMs < wakeAt) wakeAt = next->dueMs;
        if (wakeAt > now) {
            if (loop.simulated) {
                loop.simulatedNowMs = wakeAt;
            } else {
                realSleepMs(wakeAt - now);
            }
            now = nowMs();
        }
        if (next != nullptr && next->id != 0 && next->dueMs <= now) fire(*next, now);
    }
}

} // namespace

TimerId setThreadTimer(std::uint32_t periodMs, ThreadTimerProc proc) {
    if (proc == nullptr) return 0;
    for (Timer& t : loop.timers) {
        if (t.id != 0) continue;
        t.id = loop.nextId++;
        t.periodMs = periodMs == 0 ? 1 : periodMs;
        t.dueMs = nowMs() + t.periodMs;
        t.proc = proc;
        return t.id;
    }
    return 0;
}

bool killThreadTimer(TimerId id) {
    if (id == 0) return false;
    for (Timer& t : loop.timers) {
        if (t.id == id) {
            t = Timer{};
            return true;
        }
    }
    return false;
}

int runMessageLoop() {
    run(0, true);
    loop.quitPosted = false;
    return loop.quitCode;
}

void postQuitMessage(int exitCode) {
    loop.quitPosted = true;
    loop.quitCode = exitCode;
}

void runMessageLoopFor(std::uint32_t ms) {
    run(nowMs() + ms, false);
}

void sleepMilliseconds(std::uint32_t ms) {
    if (loop.simulated) {
        loop.simulatedNowMs += ms;
    } else {
        realSleepMs(ms);
    }
}

std::uint64_t loopClockMilliseconds() {
    return nowMs();
}

bool useSimulatedClock(bool on) {
    if (on == loop.simulated) return true;
    std::uint64_t before = nowMs();
    loop.simulated = on;
    if (on) loop.simulatedNowMs = before;
    std::uint64_t after = nowMs();
    for (Timer& t : loop.timers) {
        if (t.id != 0) t.dueMs = after + t.periodMs;
    }
    return true;
}

} // namespace gb::platform

extern "C" void gb_loop_run_for(unsigned ms) {
    gb::platform::runMessageLoopFor(ms);
}
