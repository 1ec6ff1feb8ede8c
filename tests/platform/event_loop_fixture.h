#pragma once
// What the event-loop tests share: a window handler that logs what reaches it, and a fixture on
// the simulated clock where one exists.

#include "platform/event_loop.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace gb::test {

// Text pieces and numbers joined by appending: g++ 12 warns falsely (-Wrestrict) on "literal" +
// string at -O2.
inline void appendPiece(std::string& out, const std::string& piece) {
    out += piece;
}
inline void appendPiece(std::string& out, const char* piece) {
    out += piece;
}
inline void appendPiece(std::string& out, long long number) {
    out += std::to_string(number);
}
template <typename... Pieces> std::string joined(const Pieces&... pieces) {
    std::string out;
    (appendPiece(out, pieces), ...);
    return out;
}

// Logs "<name>:t<id>", "<name>:c<command>" (with "@<modal depth>" when asked) and
// "<name>:close", then runs the test's extra action, if any.
class Recorder : public gb::platform::LoopWindowHandler {
public:
    Recorder(std::vector<std::string>& log, std::string name) : log_(log), name_(std::move(name)) {}

    void onTimer(unsigned id) override {
        log_.push_back(joined(name_, ":t", id));
        timers_.emplace_back(id, gb::platform::loopClockMilliseconds());
        if (timer) timer(id);
    }
    void onCommand(unsigned c) override {
        log_.push_back(showDepth ? joined(name_, ":c", c, "@", depth_) : joined(name_, ":c", c));
        if (command) command(c);
    }
    void onClose() override {
        log_.push_back(joined(name_, ":close"));
        if (close) close();
    }
    bool isCommandEnabled(unsigned c) override { return disabled.count(c) == 0; }

    // A modal run, counted so that the log shows where each command was dispatched; its result
    // is logged as "<label>=<result>".
    void runModal(gb::platform::ModalLoop& modal, const char* label) {
        ++depth_;
        int result = gb::platform::runModalLoop(modal);
        --depth_;
        log_.push_back(joined(label, "=", result));
    }

    // When timer `id` fired, relative to `start`.
    std::vector<std::uint64_t> timerTimes(unsigned id, std::uint64_t start) const {
        std::vector<std::uint64_t> times;
        for (const auto& [timer, at] : timers_)
            if (timer == id) times.push_back(at - start);
        return times;
    }

    std::function<void(unsigned)> timer;
    std::function<void(unsigned)> command;
    std::function<void()> close;
    std::set<unsigned> disabled;
    bool showDepth = false;

private:
    std::vector<std::string>& log_;
    std::string name_;
    std::vector<std::pair<unsigned, std::uint64_t>> timers_;
    int depth_ = 0;
};

class EventLoopTest : public ::testing::Test {
protected:
    void SetUp() override { simulated = gb::platform::useSimulatedClock(true); }
    void TearDown() override { gb::platform::useSimulatedClock(false); }

    // runMessageLoop with a watchdog: a test that forgets to quit ends with 99 instead of hanging.
    static int runMessageLoopGuarded() {
        gb::platform::TimerId watchdog = gb::platform::setThreadTimer(
            10000, [](gb::platform::TimerId) { gb::platform::postQuitMessage(99); });
        int code = gb::platform::runMessageLoop();
        gb::platform::killThreadTimer(watchdog);
        return code;
    }

    bool simulated = false; // native loop on the simulated clock; false under Wine
    std::vector<std::string> log;
};

} // namespace gb::test
