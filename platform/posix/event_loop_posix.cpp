#include "platform/event_loop.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <unistd.h>

namespace gb::platform {

namespace {

// Fixed tables: the system creates a handful of timers (the library's poll timer, the program's
// two window timers) and windows, so small tables keep the loop free of allocation.
constexpr int MaxTimers = 64;
constexpr int MaxWindows = 16;
constexpr int MaxPosts = 64;
constexpr std::size_t MaxLineLength = 4095;
constexpr std::uint64_t Never = UINT64_MAX;

struct Timer {
    bool used = false;
    int window = -1;       // window slot, or -1 for a thread timer
    TimerId threadId = 0;  // thread timers
    unsigned windowId = 0; // window timers
    ThreadTimerProc proc = nullptr;
    std::uint32_t periodMs = 0;
    std::uint64_t dueMs = 0;
    std::uint64_t armed = 0; // order of (re)starting: breaks ties between timers due together
};

struct Window {
    LoopWindowHandler* handler = nullptr; // null: slot free
    std::uint32_t generation = 0;
};

enum class PostKind : std::uint8_t {
    Command,
    Close
};

struct Post {
    LoopWindow window;
    PostKind kind;
    unsigned command;
};

// Standard input: raw bytes read but not yet split, and the line being gathered.
struct Input {
    InputLineHandler handler = nullptr;
    void* context = nullptr;
    char raw[4096];
    std::size_t rawPos = 0;
    std::size_t rawLen = 0;
    char line[MaxLineLength + 1];
    std::size_t lineLen = 0;
    bool cut = false;       // the current line overflowed; drop up to its end
    bool lineReady = false; // `line` holds a complete line to deliver
    bool ended = false;     // end of input seen; deliver the rest, then nullptr
};

struct Loop {
    Timer timers[MaxTimers];
    TimerId nextThreadId = 1;
    std::uint64_t nextArmed = 1;
    Window windows[MaxWindows];
    std::uint32_t nextGeneration = 1;
    Post posts[MaxPosts];
    int postHead = 0;
    int postCount = 0;
    Input input;
    bool simulated = false;
    std::uint64_t simulatedNowMs = 0;
    bool quitPosted = false;
    int quitCode = 0;
    std::uint64_t waits = 0;
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

// ---- Windows
// -------------------------------------------------------------------------------------

// A handle carries its slot and the slot's generation, so a handle kept after destroyLoopWindow
// never reaches the window that reuses the slot.
LoopWindow makeHandle(int slot) {
    std::uintptr_t value = (static_cast<std::uintptr_t>(loop.windows[slot].generation) << 8) |
                           static_cast<std::uintptr_t>(slot + 1);
    return reinterpret_cast<LoopWindow>(value);
}

// The slot of a live window, or -1.
int windowSlot(LoopWindow window) {
    std::uintptr_t value = reinterpret_cast<std::uintptr_t>(window);
    std::uintptr_t slot = (value & 0xFF) - 1;
    if ((value & 0xFF) == 0 || slot >= static_cast<std::uintptr_t>(MaxWindows)) return -1;
    const Window& w = loop.windows[slot];
    if (w.handler == nullptr || (value >> 8) != w.generation) return -1;
    return static_cast<int>(slot);
}

// ---- Timers
// --------------------------------------------------------------------------------------

void arm(Timer& t, std::uint32_t periodMs) {
    t.periodMs = clampTimerPeriod(periodMs);
    t.dueMs = nowMs() + t.periodMs;
    t.armed = loop.nextArmed++;
}

Timer* freeTimer() {
    for (Timer& t : loop.timers) {
        if (!t.used) return &t;
    }
    return nullptr;
}

Timer* findWindowTimer(int slot, unsigned id) {
    for (Timer& t : loop.timers) {
        if (t.used && t.window == slot && t.windowId == id) return &t;
    }
    return nullptr;
}

// The timer due first (ties: the one started first), or null when none runs.
Timer* earliestTimer() {
    Timer* first = nullptr;
    for (Timer& t : loop.timers) {
        if (!t.used) continue;
        if (first == nullptr || t.dueMs < first->dueMs ||
            (t.dueMs == first->dueMs && t.armed < first->armed))
            first = &t;
    }
    return first;
}

// Dispatches one due timer. Like WM_TIMER, a timer that fell behind fires once and is then due a
// whole period after this dispatch, so a slow step never causes a burst of ticks. The entry is
// settled before the call: the callee may kill or restart it, or destroy its window.
void fire(Timer& t, std::uint64_t now) {
    t.dueMs = now + t.periodMs;
    t.armed = loop.nextArmed++;
    if (t.window < 0) {
        t.proc(t.threadId);
    } else {
        loop.windows[t.window].handler->onTimer(t.windowId);
    }
}

// ---- Posts
// ---------------------------------------------------------------------------------------

// A command is WM_COMMAND's low word on Windows; the native loop keeps the same 16 bits.
unsigned commandBits(unsigned command) {
    return command & 0xFFFFu;
}

bool post(LoopWindow window, PostKind kind, unsigned command) {
    if (windowSlot(window) < 0 || loop.postCount == MaxPosts) return false;
    loop.posts[(loop.postHead + loop.postCount) % MaxPosts] =
        Post{window, kind, commandBits(command)};
    ++loop.postCount;
    return true;
}

void dispatchPost() {
    Post p = loop.posts[loop.postHead];
    loop.postHead = (loop.postHead + 1) % MaxPosts;
    --loop.postCount;
    int slot = windowSlot(p.window);
    if (slot < 0) return;
    LoopWindowHandler* handler = loop.windows[slot].handler;
    if (p.kind == PostKind::Command) {
        handler->onCommand(p.command);
    } else {
        handler->onClose();
    }
}

// ---- Standard input
// ------------------------------------------------------------------------------

// Moves raw bytes into the line until a line is complete or the bytes run out.
void splitInput() {
    Input& in = loop.input;
    while (!in.lineReady && in.rawPos < in.rawLen) {
        char c = in.raw[in.rawPos++];
        if (c == '\n') {
            if (!in.cut && in.lineLen > 0 && in.line[in.lineLen - 1] == '\r') --in.lineLen;
            in.line[in.lineLen] = '\0';
            in.lineReady = true;
        } else if (c == '\0') {
            // Dropped: the handler gets a C string, which would end here and lose the rest.
        } else if (in.lineLen < MaxLineLength) {
            in.line[in.lineLen++] = c;
        } else {
            in.cut = true;
        }
    }
}

// Whether a line (or the end of input) waits to be delivered.
bool inputPending() {
    const Input& in = loop.input;
    return in.handler != nullptr && (in.lineReady || in.ended);
}

// Delivers one line, or at the end of input the unfinished last line and then nullptr. The line
// is copied first: a handler that runs a modal loop lets that loop read further lines.
void deliverInput() {
    Input& in = loop.input;
    InputLineHandler handler = in.handler;
    void* context = in.context;
    if (in.lineReady || (in.ended && (in.lineLen > 0 || in.cut))) {
        char line[MaxLineLength + 1];
        std::memcpy(line, in.line, in.lineLen);
        line[in.lineLen] = '\0';
        in.lineLen = 0;
        in.cut = false;
        in.lineReady = false;
        splitInput();
        handler(context, line);
        return;
    }
    in.handler = nullptr;
    in.context = nullptr;
    in.ended = false;
    in.rawPos = in.rawLen = 0;
    handler(context, nullptr);
}

// One read of standard input after poll found it ready (a second read could block). True when
// bytes came or the input ended.
bool readInput(short revents) {
    Input& in = loop.input;
    if ((revents & POLLNVAL) != 0) {
        in.ended = true;
        return true;
    }
    ssize_t n = read(STDIN_FILENO, in.raw, sizeof in.raw);
    if (n > 0) {
        in.rawPos = 0;
        in.rawLen = static_cast<std::size_t>(n);
        splitInput();
        return true;
    }
    if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
        in.ended = true;
        return true;
    }
    return false;
}

// Waits up to `timeoutMs` (-1: no limit) for standard input, when a handler wants it, or just for
// the time to pass. A signal ends the wait early; the caller looks again. True when input was
// read.
bool wait(int timeoutMs) {
    ++loop.waits;
    Input& in = loop.input;
    bool wantInput = in.handler != nullptr && !in.ended && in.rawPos == in.rawLen;
    pollfd fd{STDIN_FILENO, POLLIN, 0};
    int ready = poll(wantInput ? &fd : nullptr, wantInput ? 1 : 0, timeoutMs);
    return ready > 0 && readInput(fd.revents);
}

// ---- The loop
// ------------------------------------------------------------------------------------

enum class Until {
    Quit,
    Deadline,
    Modal
};

// Runs the loop: posted items first (in order), then the quit, then standard-input lines, then
// the timer due first; otherwise waits for the next of these. Returns false when nothing could
// ever wake the loop.
bool run(Until until, std::uint64_t deadline, const ModalLoop* modal) {
    for (;;) {
        if (until == Until::Modal && modal->ended) return true;
        if (loop.postCount > 0) {
            dispatchPost();
            continue;
        }
        if (loop.quitPosted && until != Until::Deadline) return true;
        if (inputPending()) {
            deliverInput();
            continue;
        }
        std::uint64_t now = nowMs();
        Timer* next = earliestTimer();
        // A run for a time dispatches every timer due up to its end, the one due at the end too.
        if (next != nullptr && next->dueMs <= now &&
            (until != Until::Deadline || next->dueMs <= deadline)) {
            fire(*next, now);
            continue;
        }
        if (until == Until::Deadline && now >= deadline) return true;
        std::uint64_t wakeAt = next != nullptr ? next->dueMs : Never;
        if (until == Until::Deadline && deadline < wakeAt) wakeAt = deadline;
        bool input = loop.input.handler != nullptr;
        if (wakeAt == Never && !input) return false;
        if (loop.simulated) {
            // Time moves only by the loop; input is looked at without waiting, unless it is the
            // only thing that can happen.
            if (input && wait(wakeAt == Never ? -1 : 0)) continue;
            if (wakeAt != Never) loop.simulatedNowMs = wakeAt;
        } else {
            std::uint64_t ms = wakeAt == Never ? 0 : wakeAt - now;
            wait(wakeAt == Never ? -1 : static_cast<int>(ms < INT_MAX ? ms : INT_MAX));
        }
    }
}

} // namespace

std::uint32_t clampTimerPeriod(std::uint32_t periodMs) {
    if (periodMs < MinimumTimerPeriodMs) return MinimumTimerPeriodMs;
    if (periodMs > MaximumTimerPeriodMs) return MaximumTimerPeriodMs;
    return periodMs;
}

TimerId setThreadTimer(std::uint32_t periodMs, ThreadTimerProc proc) {
    if (proc == nullptr) return 0;
    Timer* t = freeTimer();
    if (t == nullptr) return 0;
    *t = Timer{};
    t->used = true;
    t->threadId = loop.nextThreadId++;
    t->proc = proc;
    arm(*t, periodMs);
    return t->threadId;
}

bool killThreadTimer(TimerId id) {
    if (id == 0) return false;
    for (Timer& t : loop.timers) {
        if (t.used && t.window < 0 && t.threadId == id) {
            t = Timer{};
            return true;
        }
    }
    return false;
}

int runMessageLoop() {
    if (!run(Until::Quit, 0, nullptr)) return -1;
    loop.quitPosted = false;
    return loop.quitCode;
}

void postQuitMessage(int exitCode) {
    loop.quitPosted = true;
    loop.quitCode = exitCode;
}

void runMessageLoopFor(std::uint32_t ms) {
    run(Until::Deadline, nowMs() + ms, nullptr);
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
        if (t.used) t.dueMs = after + t.periodMs;
    }
    return true;
}

std::uint64_t loopWaitCount() {
    return loop.waits;
}

LoopWindow createLoopWindow(LoopWindowHandler* handler) {
    if (handler == nullptr) return nullptr;
    for (int slot = 0; slot < MaxWindows; ++slot) {
        Window& w = loop.windows[slot];
        if (w.handler != nullptr) continue;
        w.handler = handler;
        w.generation = loop.nextGeneration;
        if (++loop.nextGeneration == 0) loop.nextGeneration = 1;
        return makeHandle(slot);
    }
    return nullptr;
}

void destroyLoopWindow(LoopWindow window) {
    int slot = windowSlot(window);
    if (slot < 0) return;
    for (Timer& t : loop.timers) {
        if (t.used && t.window == slot) t = Timer{};
    }
    // Keep the other windows' posts in order.
    int kept = 0;
    for (int i = 0; i < loop.postCount; ++i) {
        const Post& p = loop.posts[(loop.postHead + i) % MaxPosts];
        if (p.window != window) loop.posts[(loop.postHead + kept++) % MaxPosts] = p;
    }
    loop.postCount = kept;
    loop.windows[slot].handler = nullptr;
}

bool setWindowTimer(LoopWindow window, unsigned id, std::uint32_t periodMs) {
    int slot = windowSlot(window);
    if (slot < 0) return false;
    Timer* t = findWindowTimer(slot, id);
    if (t == nullptr) {
        t = freeTimer();
        if (t == nullptr) return false;
        *t = Timer{};
        t->used = true;
        t->window = slot;
        t->windowId = id;
    }
    arm(*t, periodMs);
    return true;
}

bool killWindowTimer(LoopWindow window, unsigned id) {
    int slot = windowSlot(window);
    if (slot < 0) return false;
    Timer* t = findWindowTimer(slot, id);
    if (t == nullptr) return false;
    *t = Timer{};
    return true;
}

bool postCommand(LoopWindow window, unsigned command) {
    return post(window, PostKind::Command, command);
}

bool postClose(LoopWindow window) {
    return post(window, PostKind::Close, 0);
}

bool sendCommand(LoopWindow window, unsigned command) {
    int slot = windowSlot(window);
    if (slot < 0) return false;
    loop.windows[slot].handler->onCommand(commandBits(command));
    return true;
}

bool isCommandEnabled(LoopWindow window, unsigned command) {
    int slot = windowSlot(window);
    return slot >= 0 && loop.windows[slot].handler->isCommandEnabled(command);
}

int runModalLoop(ModalLoop& modal) {
    if (!run(Until::Modal, 0, &modal)) return -1;
    return modal.ended ? modal.result : -1;
}

void endModalLoop(ModalLoop& modal, int result) {
    modal.ended = true;
    modal.result = result;
}

bool setStandardInputHandler(InputLineHandler handler, void* context) {
    loop.input.handler = handler;
    loop.input.context = handler != nullptr ? context : nullptr;
    return true;
}

} // namespace gb::platform

extern "C" void gb_loop_run_for(unsigned ms) {
    gb::platform::runMessageLoopFor(ms);
}
