// The loop's windows, timers, posted commands and modal runs, on both builds: natively on the
// simulated clock with exact times, under Wine on the real clock with ranges.

#include "event_loop_fixture.h"

#include <gtest/gtest.h>

#include <climits>

using namespace gb::platform;
using gb::test::EventLoopTest;
using gb::test::Recorder;

namespace {

int threadTicks = 0;
std::vector<std::uint64_t> threadTickTimes;
void countThreadTick(TimerId) {
    ++threadTicks;
    threadTickTimes.push_back(loopClockMilliseconds());
}

int count(const std::vector<std::string>& log, const std::string& entry) {
    int n = 0;
    for (const std::string& e : log)
        n += e == entry;
    return n;
}

} // namespace

TEST_F(EventLoopTest, WindowTimersZeroAndOneRunBesideAThreadTimer) {
    Recorder frame(log, "f");
    LoopWindow w = createLoopWindow(&frame);
    ASSERT_NE(w, nullptr);
    threadTicks = 0;
    threadTickTimes.clear();
    std::uint64_t start = loopClockMilliseconds();
    TimerId library = setThreadTimer(30, countThreadTick);
    ASSERT_NE(library, 0u);
    ASSERT_TRUE(setWindowTimer(w, 0, 100)); // CHECK_TIMER-like
    ASSERT_TRUE(setWindowTimer(w, 1, 40));  // READ_TIMER-like
    runMessageLoopFor(simulated ? 200 : 500);
    EXPECT_TRUE(killThreadTimer(library));
    destroyLoopWindow(w);

    if (simulated) {
        EXPECT_EQ(frame.timerTimes(0, start), (std::vector<std::uint64_t>{100, 200}));
        EXPECT_EQ(frame.timerTimes(1, start), (std::vector<std::uint64_t>{40, 80, 120, 160, 200}));
        ASSERT_EQ(threadTicks, 6);
        EXPECT_EQ(threadTickTimes.front() - start, 30u);
        EXPECT_EQ(threadTickTimes.back() - start, 180u);
        // At 120 the window timer re-armed at 80 goes before the thread timer re-armed at 90.
        EXPECT_EQ(log, (std::vector<std::string>{"f:t1", "f:t1", "f:t0", "f:t1", "f:t1", "f:t0",
                                                 "f:t1"}));
    } else {
        EXPECT_GE(count(log, "f:t0"), 1);
        EXPECT_LE(count(log, "f:t0"), 7);
        EXPECT_GE(count(log, "f:t1"), 1);
        EXPECT_LE(count(log, "f:t1"), 14);
        EXPECT_GE(threadTicks, 1);
        EXPECT_LE(threadTicks, 18);
    }
}

TEST_F(EventLoopTest, RestartTakesTheNewPeriodFromNowAndKillStopsTheTimer) {
    Recorder frame(log, "f");
    LoopWindow w = createLoopWindow(&frame);
    std::uint64_t start = loopClockMilliseconds();
    ASSERT_TRUE(setWindowTimer(w, 1, 100));
    ASSERT_TRUE(setWindowTimer(w, 0, 0xFFFFFFFF)); // a second id on the same window
    if (simulated) {
        runMessageLoopFor(250);
        ASSERT_TRUE(setWindowTimer(w, 1, 40));
        runMessageLoopFor(130);
        EXPECT_EQ(frame.timerTimes(1, start),
                  (std::vector<std::uint64_t>{100, 200, 290, 330, 370}));
    }
    EXPECT_TRUE(killWindowTimer(w, 1));
    EXPECT_FALSE(killWindowTimer(w, 1));
    EXPECT_FALSE(killWindowTimer(w, 7));
    log.clear();
    runMessageLoopFor(200);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(killWindowTimer(w, 0));
    destroyLoopWindow(w);
}

TEST_F(EventLoopTest, LateTimerFiresOnceThenAPeriodAfterItsDispatch) {
    if (!simulated) GTEST_SKIP() << "needs the simulated clock";
    Recorder frame(log, "f");
    LoopWindow w = createLoopWindow(&frame);
    std::uint64_t start = loopClockMilliseconds();
    ASSERT_TRUE(setWindowTimer(w, 0, 100));
    sleepMilliseconds(450); // four periods pass without a dispatch
    runMessageLoopFor(1);
    runMessageLoopFor(99);
    EXPECT_EQ(frame.timerTimes(0, start), (std::vector<std::uint64_t>{450, 550}));
    destroyLoopWindow(w);
}

TEST_F(EventLoopTest, PeriodsAreClampedToTenAndToTheLargestSigned) {
    EXPECT_EQ(clampTimerPeriod(0), 10u);
    EXPECT_EQ(clampTimerPeriod(9), 10u);
    EXPECT_EQ(clampTimerPeriod(10), 10u);
    EXPECT_EQ(clampTimerPeriod(0x7FFFFFFF), 0x7FFFFFFFu);
    EXPECT_EQ(clampTimerPeriod(0x80000000), 0x7FFFFFFFu);
    EXPECT_EQ(clampTimerPeriod(0xFFFFFFFF), 0x7FFFFFFFu);

    Recorder frame(log, "f");
    LoopWindow w = createLoopWindow(&frame);
    threadTicks = 0;
    ASSERT_TRUE(setWindowTimer(w, 0, 0));
    ASSERT_TRUE(setWindowTimer(w, 1, 0xFFFFFFFF)); // "-1": never before 24.8 days
    TimerId library = setThreadTimer(0, countThreadTick);
    ASSERT_NE(library, 0u);
    runMessageLoopFor(simulated ? 100 : 200);
    if (simulated) {
        EXPECT_EQ(count(log, "f:t0"), 10);
        EXPECT_EQ(threadTicks, 10);
    } else {
        EXPECT_GE(count(log, "f:t0"), 1);
        EXPECT_LE(count(log, "f:t0"), 23);
        EXPECT_LE(threadTicks, 23);
    }
    EXPECT_EQ(count(log, "f:t1"), 0);
    killWindowTimer(w, 0);
    killThreadTimer(library);

    if (simulated) {
        // Restarted now, it falls due exactly 0x7FFFFFFF ms later.
        ASSERT_TRUE(setWindowTimer(w, 1, 0xFFFFFFFF));
        runMessageLoopFor(0x7FFFFFFE);
        EXPECT_EQ(count(log, "f:t1"), 0);
        runMessageLoopFor(1);
        EXPECT_EQ(count(log, "f:t1"), 1);
    }
    destroyLoopWindow(w);
}

TEST_F(EventLoopTest, PostsArriveInOrderBeforeTimersAndSendIsImmediate) {
    Recorder a(log, "a");
    Recorder b(log, "b");
    LoopWindow wa = createLoopWindow(&a);
    LoopWindow wb = createLoopWindow(&b);
    a.command = [&](unsigned c) {
        if (c == 2) {
            EXPECT_TRUE(postCommand(wa, 9));          // after everything already queued
            EXPECT_TRUE(sendCommand(wa, 0xFFFF0007)); // now, inside this dispatch
        }
    };
    ASSERT_TRUE(setWindowTimer(wa, 0, 10));
    sleepMilliseconds(30); // the timer is due, yet the posts go first
    EXPECT_TRUE(postCommand(wa, 1));
    EXPECT_TRUE(postCommand(wa, 2));
    EXPECT_TRUE(postClose(wa));
    EXPECT_TRUE(postCommand(wa, 3));
    EXPECT_TRUE(postCommand(wb, 0x10004)); // 16 bits, as WM_COMMAND's low word
    EXPECT_TRUE(log.empty());              // nothing is dispatched by posting
    runMessageLoopFor(simulated ? 5 : 100);
    killWindowTimer(wa, 0);
    ASSERT_GE(log.size(), 8u);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 8),
              (std::vector<std::string>{"a:c1", "a:c2", "a:c7", "a:close", "a:c3", "b:c4", "a:c9",
                                        "a:t0"}));
    destroyLoopWindow(wa);
    destroyLoopWindow(wb);
}

TEST_F(EventLoopTest, CommandsEnabledAsTheHandlerSays) {
    Recorder frame(log, "f");
    frame.disabled = {5};
    LoopWindow w = createLoopWindow(&frame);
    EXPECT_FALSE(isCommandEnabled(w, 5));
    EXPECT_TRUE(isCommandEnabled(w, 6));
    destroyLoopWindow(w);
    EXPECT_FALSE(isCommandEnabled(w, 6));
    EXPECT_FALSE(isCommandEnabled(nullptr, 6));
}

TEST_F(EventLoopTest, DestroyDropsTimersAndPostsAndRefusesTheOldHandle) {
    Recorder a(log, "a");
    Recorder b(log, "b");
    LoopWindow wa = createLoopWindow(&a);
    LoopWindow wb = createLoopWindow(&b);
    ASSERT_TRUE(setWindowTimer(wa, 0, 10));
    ASSERT_TRUE(postCommand(wa, 1));
    ASSERT_TRUE(postCommand(wb, 2));
    ASSERT_TRUE(postCommand(wa, 3));
    ASSERT_TRUE(postCommand(wb, 4));
    destroyLoopWindow(wa);
    runMessageLoopFor(50);
    EXPECT_EQ(log, (std::vector<std::string>{"b:c2", "b:c4"}));

    EXPECT_FALSE(postCommand(wa, 1));
    EXPECT_FALSE(postClose(wa));
    EXPECT_FALSE(sendCommand(wa, 1));
    EXPECT_FALSE(setWindowTimer(wa, 0, 10));
    EXPECT_FALSE(killWindowTimer(wa, 0));
    destroyLoopWindow(wa); // twice: nothing happens

    // A window that destroys itself on close gets nothing posted after the close.
    Recorder c(log, "c");
    LoopWindow wc = createLoopWindow(&c);
    ASSERT_NE(wc, nullptr);
    EXPECT_FALSE(postCommand(wa, 1)); // the new window does not answer to the old handle
    c.close = [&] { destroyLoopWindow(wc); };
    ASSERT_TRUE(postClose(wc));
    ASSERT_TRUE(postCommand(wc, 5));
    ASSERT_TRUE(setWindowTimer(wc, 1, 10));
    log.clear();
    runMessageLoopFor(50);
    EXPECT_EQ(log, (std::vector<std::string>{"c:close"}));
    destroyLoopWindow(wb);
}

TEST_F(EventLoopTest, NestedModalRunsEndInOrderWithoutEndingTheMainLoop) {
    Recorder frame(log, "f");
    frame.showDepth = true;
    LoopWindow w = createLoopWindow(&frame);
    ModalLoop outer;
    ModalLoop inner;
    frame.command = [&](unsigned c) {
        switch (c) {
        case 1: // opens a dialog, which opens another one
            postCommand(w, 2);
            frame.runModal(outer, "A");
            postCommand(w, 5);
            break;
        case 2:
            postCommand(w, 3);
            postCommand(w, 4);
            frame.runModal(inner, "B");
            break;
        case 3:
            endModalLoop(inner, 30);
            break;
        case 4:
            endModalLoop(outer, 40);
            break;
        case 5:
            postQuitMessage(7);
            break;
        }
    };
    ASSERT_TRUE(postCommand(w, 1));
    EXPECT_EQ(runMessageLoopGuarded(), 7);
    // Each command at the depth it was dispatched; the inner run returned before command 4.
    EXPECT_EQ(log, (std::vector<std::string>{"f:c1@0", "f:c2@1", "f:c3@2", "B=30", "f:c4@1", "A=40",
                                             "f:c5@0"}));
    destroyLoopWindow(w);
}

TEST_F(EventLoopTest, OuterModalEndedFirstReturnsWhenTheInnerOneEnds) {
    Recorder frame(log, "f");
    frame.showDepth = true;
    LoopWindow w = createLoopWindow(&frame);
    ModalLoop outer;
    ModalLoop inner;
    frame.command = [&](unsigned c) {
        if (c == 1) {
            postCommand(w, 2);
            frame.runModal(outer, "A");
        } else if (c == 2) {
            postCommand(w, 3); // ends the outer run while the inner one runs
            postCommand(w, 4);
            postCommand(w, 5);
            frame.runModal(inner, "B");
        } else if (c == 3) {
            endModalLoop(outer, 1);
        } else if (c == 4) {
            endModalLoop(inner, 2);
        } else if (c == 5) {
            postQuitMessage(0);
        }
    };
    ASSERT_TRUE(postCommand(w, 1));
    EXPECT_EQ(runMessageLoopGuarded(), 0);
    // Command 5 waited for the main loop: the outer run returned as soon as the inner one did.
    EXPECT_EQ(log, (std::vector<std::string>{"f:c1@0", "f:c2@1", "f:c3@2", "f:c4@2", "B=2", "A=1",
                                             "f:c5@0"}));

    // Ended before it ran: returns at once with its result.
    ModalLoop done;
    endModalLoop(done, 12);
    EXPECT_EQ(runModalLoop(done), 12);
    destroyLoopWindow(w);
}

TEST_F(EventLoopTest, QuitInsideModalRunsEndsThemAllAndReachesTheMainLoop) {
    Recorder frame(log, "f");
    frame.showDepth = true;
    LoopWindow w = createLoopWindow(&frame);
    ModalLoop outer;
    ModalLoop inner;
    frame.command = [&](unsigned c) {
        if (c == 1) {
            postCommand(w, 2);
            frame.runModal(outer, "A");
        } else if (c == 2) {
            postCommand(w, 3);
            frame.runModal(inner, "B");
        } else if (c == 3) {
            postQuitMessage(42);
        }
    };
    ASSERT_TRUE(postCommand(w, 1));
    EXPECT_EQ(runMessageLoopGuarded(), 42);
    EXPECT_EQ(log, (std::vector<std::string>{"f:c1@0", "f:c2@1", "f:c3@2", "B=-1", "A=-1"}));
    EXPECT_FALSE(inner.ended);
    destroyLoopWindow(w);
}

TEST_F(EventLoopTest, QuitDuringARunForATimeIsKeptForTheMainLoop) {
    Recorder frame(log, "f");
    LoopWindow w = createLoopWindow(&frame);
    frame.command = [&](unsigned c) {
        if (c == 1) postQuitMessage(INT_MIN);
    };
    ASSERT_TRUE(postCommand(w, 1));
    ASSERT_TRUE(postCommand(w, 2));
    runMessageLoopFor(20);
    EXPECT_EQ(log, (std::vector<std::string>{"f:c1", "f:c2"})); // the run went on
    EXPECT_EQ(runMessageLoopGuarded(), INT_MIN);
    destroyLoopWindow(w);
}
