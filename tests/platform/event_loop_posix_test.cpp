// The native loop's own parts: standard-input lines, its bounded post queue, and waits that last
// until something is due instead of waking on a beat.

#include "event_loop_fixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>

using namespace gb::platform;
using gb::test::EventLoopTest;
using gb::test::Recorder;

namespace {

// Standard input replaced by a pipe the test writes; restored afterwards.
class StandardInput : public EventLoopTest {
protected:
    void SetUp() override {
        EventLoopTest::SetUp();
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        saved_ = dup(STDIN_FILENO);
        ASSERT_EQ(dup2(fds[0], STDIN_FILENO), STDIN_FILENO);
        close(fds[0]);
        writer_ = fds[1];
        ASSERT_TRUE(setStandardInputHandler(&StandardInput::onLine, this));
    }
    void TearDown() override {
        setStandardInputHandler(nullptr, nullptr);
        closeWriter();
        dup2(saved_, STDIN_FILENO);
        close(saved_);
        EventLoopTest::TearDown();
    }

    void send(const std::string& bytes) const {
        ASSERT_EQ(write(writer_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void closeWriter() {
        if (writer_ >= 0) close(writer_);
        writer_ = -1;
    }

    static void onLine(void* context, const char* line) {
        auto* self = static_cast<StandardInput*>(context);
        self->lines.push_back(line != nullptr ? line : "<end>");
        if (self->onEachLine) self->onEachLine(line);
    }

    std::vector<std::string> lines;
    std::function<void(const char*)> onEachLine;
    int writer_ = -1;

private:
    int saved_ = -1;
};

void noteSignal(int) {}

} // namespace

TEST_F(StandardInput, LinesArriveWholeWithoutLineEndsAndCutAtTheLimit) {
    send("ab");
    runMessageLoopFor(10);
    EXPECT_TRUE(lines.empty()); // half a line waits for its end
    send("c\r\nd\n\r\na\rb\n");
    runMessageLoopFor(10);
    EXPECT_EQ(lines, (std::vector<std::string>{"abc", "d", "", "a\rb"}));

    lines.clear();
    send(gb::test::joined(std::string(5000, 'x'), "\nnext\n"));
    send(gb::test::joined(std::string(4094, 'y'), "\r\n", std::string(4095, 'z'), "\r\n"));
    runMessageLoopFor(10);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], std::string(4095, 'x')); // the rest of the long line is dropped
    EXPECT_EQ(lines[1], "next");
    EXPECT_EQ(lines[2], std::string(4094, 'y'));
    EXPECT_EQ(lines[3], std::string(4095, 'z'));

    lines.clear();
    send(std::string("N\0U\0L\n\0\n", 8));
    send("\x1A\xEF\xBB\xBF"
         "bom\n");
    runMessageLoopFor(10);
    EXPECT_EQ(lines, (std::vector<std::string>{"NUL", "",
                                               "\x1A\xEF\xBB\xBF"
                                               "bom"}));
}

TEST_F(StandardInput, EndOfInputDeliversTheLastLineThenNullOnce) {
    send("one\ntail");
    closeWriter();
    runMessageLoopFor(10);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "tail", "<end>"}));
    runMessageLoopFor(10);
    EXPECT_EQ(lines.size(), 3u); // the handler is gone
    // With nothing else left, the loop does not sleep for ever.
    EXPECT_EQ(runMessageLoop(), -1);
}

TEST_F(StandardInput, AQuitForALineComesBeforeTheNextLine) {
    onEachLine = [](const char* line) {
        if (line != nullptr && std::strcmp(line, "quit") == 0) postQuitMessage(3);
    };
    send("quit\nafter\n");
    EXPECT_EQ(runMessageLoopGuarded(), 3);
    EXPECT_EQ(lines, (std::vector<std::string>{"quit"}));
    runMessageLoopFor(10);
    EXPECT_EQ(lines, (std::vector<std::string>{"quit", "after"}));
}

TEST_F(StandardInput, AModalRunStartedForALineReadsTheFollowingLines) {
    ModalLoop dialog;
    onEachLine = [&](const char* line) {
        if (line == nullptr) return;
        if (std::strcmp(line, "open dialog") == 0) {
            int result = runModalLoop(dialog);
            lines.push_back(gb::test::joined(line, " -> ", result));
        } else if (std::strcmp(line, "ok") == 0) {
            endModalLoop(dialog, 1);
        }
    };
    send("open dialog\nfield=3\nok\nlater\n");
    runMessageLoopFor(10);
    EXPECT_EQ(lines, (std::vector<std::string>{"open dialog", "field=3", "ok", "open dialog -> 1",
                                               "later"}));
}

TEST_F(StandardInput, IdleLoopSleepsUntilInputArrivesEvenWhenASignalInterrupts) {
    useSimulatedClock(false);
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = noteSignal; // no SA_RESTART: poll fails with EINTR
    sigaction(SIGUSR1, &action, &previous);
    onEachLine = [](const char* line) {
        if (line != nullptr) postQuitMessage(5);
    };
    pthread_t loopThread = pthread_self();
    std::thread user([&] {
        usleep(150000);
        pthread_kill(loopThread, SIGUSR1);
        usleep(150000);
        send("go\n");
    });
    std::uint64_t waitsBefore = loopWaitCount();
    int code = runMessageLoopGuarded();
    user.join();
    sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_EQ(code, 5);
    EXPECT_EQ(lines, (std::vector<std::string>{"go"}));
    // One wait cut short by the signal, one ended by the line: not one every few milliseconds.
    EXPECT_LE(loopWaitCount() - waitsBefore, 3u);
}

TEST_F(EventLoopTest, IdleLoopSleepsUntilTheNextTimerIsDue) {
    useSimulatedClock(false);
    Recorder frame(log, "f");
    LoopWindow w = createLoopWindow(&frame);
    int ticks = 0;
    frame.timer = [&](unsigned) {
        if (++ticks == 3) postQuitMessage(0);
    };
    ASSERT_TRUE(setWindowTimer(w, 0, 150));
    std::uint64_t waitsBefore = loopWaitCount();
    EXPECT_EQ(runMessageLoopGuarded(), 0);
    std::uint64_t waits = loopWaitCount() - waitsBefore;
    destroyLoopWindow(w);
    // One wait per tick (a stray signal may add one), not one every few milliseconds.
    EXPECT_LE(waits, 4u);
}

TEST_F(EventLoopTest, PostQueueHoldsSixtyFourAndRefusesMore) {
    Recorder frame(log, "f");
    LoopWindow w = createLoopWindow(&frame);
    for (unsigned i = 0; i < 64; ++i)
        ASSERT_TRUE(postCommand(w, i)) << i;
    EXPECT_FALSE(postCommand(w, 64));
    EXPECT_FALSE(postClose(w));
    EXPECT_TRUE(sendCommand(w, 100)); // not queued
    runMessageLoopFor(1);
    ASSERT_EQ(log.size(), 65u);
    EXPECT_EQ(log[1], "f:c0");
    EXPECT_EQ(log[64], "f:c63");
    EXPECT_TRUE(postCommand(w, 65));
    destroyLoopWindow(w);
}

TEST_F(EventLoopTest, NothingLeftToWakeTheLoopEndsItInsteadOfSleepingForEver) {
    EXPECT_EQ(runMessageLoop(), -1);
    ModalLoop modal;
    EXPECT_EQ(runModalLoop(modal), -1);
    // A window alone cannot wake the loop either; its posts are dispatched first.
    Recorder frame(log, "f");
    LoopWindow w = createLoopWindow(&frame);
    ASSERT_TRUE(postCommand(w, 1));
    EXPECT_EQ(runMessageLoop(), -1);
    EXPECT_EQ(log, (std::vector<std::string>{"f:c1"}));
    destroyLoopWindow(w);
}
