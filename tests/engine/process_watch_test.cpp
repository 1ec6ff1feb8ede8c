#include "engine/commands.h"
#include "engine/process_watch.h"
#include "ui/resource.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

using gb::ProcessWatch;

namespace {

// Stands in for the frame: records every action as text and answers attach as scripted.
class RecordingHost : public gb::ProcessWatchHost {
public:
    bool attachSucceeds = true;
    bool attached = false;
    bool cardOpen = true;
    std::int32_t qp = 0;
    std::int32_t ph = 0;
    std::vector<std::string> actions;
    std::string tooltip;

    bool attach() override {
        actions.push_back(attachSucceeds ? "attach" : "attach failed");
        attached = attached || attachSucceeds;
        return attachSucceeds;
    }
    void detach() override {
        actions.push_back("detach");
        attached = false;
    }
    bool isAttached() const override { return attached; }
    void startReadTimer(std::uint32_t periodMs) override {
        actions.push_back(std::string("start ").append(std::to_string(periodMs)));
    }
    void killReadTimer() override { actions.push_back("kill"); }
    void setIcon(int iconId) override {
        actions.push_back(std::string("icon ").append(std::to_string(iconId)));
    }
    void setMenuDefaultItem(unsigned command) override {
        actions.push_back(std::string("default ").append(std::to_string(command)));
    }
    void setTooltipText(const char* text) override { tooltip = text; }
    std::int32_t qpCalls() const override { return qp; }
    std::int32_t phCalls() const override { return ph; }
    bool isCardOpen() const override { return cardOpen; }

    std::vector<std::string> take() { return std::exchange(actions, {}); }
};

const std::vector<std::string> kBegin = {"attach", "start 100", "icon 130", "default 32773"};
const std::vector<std::string> kEnd = {"kill", "detach", "icon 129", "default 32772"};
const std::vector<std::string> kNothing = {};

class ProcessWatchTest : public ::testing::Test {
protected:
    RecordingHost host;
    ProcessWatch watch{host};

    // One tick with the default periods (4000 ms, 100 ms).
    std::vector<std::string> tick(bool running, std::uint32_t checkPeriod = 4000) {
        watch.checkTick(running, checkPeriod, 100);
        return host.take();
    }
};

} // namespace

// The engine names the program's resource numbers itself; they must stay those of the resources.
TEST(ProcessWatchIds, SameNumbersAsTheResources) {
    EXPECT_EQ(gb::kTrayIconIdle, IDI_TRAY_IDLE);
    EXPECT_EQ(gb::kTrayIconTransfer, IDI_TRAY_TRANSFER);
    EXPECT_EQ(gb::kTrayIconNoCard, IDI_TRAY_NOCARD);
    EXPECT_EQ(gb::kCommandTransferStart, static_cast<unsigned>(ID_TRANSFER_START));
    EXPECT_EQ(gb::kCommandTransferStop, static_cast<unsigned>(ID_TRANSFER_STOP));
}

TEST_F(ProcessWatchTest, AttachesOnTheThirdTickAndShowsTheCounts) {
    EXPECT_EQ(tick(false), kNothing);
    EXPECT_EQ(host.tooltip, "");
    host.qp = 12;
    host.ph = -3;
    EXPECT_EQ(tick(true), kNothing);
    EXPECT_EQ(host.tooltip, "Calls: QP=12 PH=-3");
    EXPECT_EQ(watch.attachDelayCount(), 1u);
    EXPECT_EQ(tick(true), kNothing);
    EXPECT_EQ(tick(true), kBegin);
    EXPECT_EQ(watch.attachDelayCount(), 0u);
    // Attached: the tooltip follows the counts, nothing else happens.
    host.qp = INT32_MAX;
    host.ph = INT32_MIN;
    EXPECT_EQ(tick(true), kNothing);
    EXPECT_EQ(host.tooltip, "Calls: QP=2147483647 PH=-2147483648");
    EXPECT_EQ(watch.attachDelayCount(), 0u);

    // The simulator ends: detach at the next tick; the tooltip keeps the last counts.
    host.qp = 1;
    EXPECT_EQ(tick(false), kEnd);
    EXPECT_EQ(host.tooltip, "Calls: QP=2147483647 PH=-2147483648");
    EXPECT_EQ(tick(false), kNothing);
}

TEST_F(ProcessWatchTest, SeenGoneSeenContinuesCounting) {
    EXPECT_EQ(tick(true), kNothing);
    EXPECT_EQ(tick(false), kNothing);
    EXPECT_EQ(tick(false), kNothing);
    EXPECT_EQ(watch.attachDelayCount(), 1u); // not reset by the process's absence
    EXPECT_EQ(tick(true), kNothing);
    EXPECT_EQ(tick(true), kBegin); // the second tick after the return
}

TEST_F(ProcessWatchTest, FailedAttachCountsAgainFromZero) {
    host.attachSucceeds = false;
    tick(true);
    tick(true);
    EXPECT_EQ(tick(true), std::vector<std::string>{"attach failed"});
    EXPECT_EQ(watch.attachDelayCount(), 0u);
    EXPECT_EQ(tick(true), kNothing);
    EXPECT_EQ(tick(true), kNothing);
    host.attachSucceeds = true;
    EXPECT_EQ(tick(true), kBegin);
}

TEST_F(ProcessWatchTest, DelayFollowsTheCheckPeriod) {
    EXPECT_EQ(ProcessWatch::attachDelayTicks(4000), 3u);
    EXPECT_EQ(ProcessWatch::attachDelayTicks(100), 101u);
    EXPECT_EQ(ProcessWatch::attachDelayTicks(10000), 2u);
    EXPECT_EQ(ProcessWatch::attachDelayTicks(10001), 1u);
    EXPECT_EQ(ProcessWatch::attachDelayTicks(20000), 1u);
    EXPECT_EQ(ProcessWatch::attachDelayTicks(UINT32_MAX), 1u);
    EXPECT_EQ(ProcessWatch::attachDelayTicks(1), 10001u);
    EXPECT_EQ(ProcessWatch::attachDelayTicks(0), 10001u); // 0 counts as 1 ms

    EXPECT_EQ(tick(true, 20000), kBegin); // the first tick that sees the process

    RecordingHost zeroHost;
    ProcessWatch zero(zeroHost);
    for (int i = 0; i < 10000; ++i)
        zero.checkTick(true, 0, 100);
    EXPECT_FALSE(zeroHost.attached);
    zero.checkTick(true, 0, 100);
    EXPECT_TRUE(zeroHost.attached);
}

TEST_F(ProcessWatchTest, ANewCheckPeriodChangesTheDelayAtOnce) {
    tick(true, 100);
    tick(true, 100);
    EXPECT_EQ(tick(true, 100), kNothing);
    EXPECT_EQ(tick(true, 4000), kBegin); // 4 ticks seen > 10000 / 4000
}

TEST_F(ProcessWatchTest, StopSurvivesTheSimulatorsRestart) {
    tick(true, 20000);
    ASSERT_TRUE(host.attached);
    EXPECT_TRUE(watch.stopTransfer());
    EXPECT_EQ(host.take(), kEnd);
    EXPECT_TRUE(watch.transferStopped());
    EXPECT_FALSE(watch.stopTransfer()); // disabled while not attached
    EXPECT_EQ(host.take(), kNothing);

    EXPECT_EQ(tick(false), kNothing);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(tick(true), kNothing);
    EXPECT_EQ(watch.attachDelayCount(), 0u); // not counting while stopped
    EXPECT_EQ(host.tooltip, "Calls: QP=0 PH=0");

    EXPECT_TRUE(watch.startTransfer(250));
    EXPECT_EQ(host.take(),
              (std::vector<std::string>{"attach", "start 250", "icon 130", "default 32773"}));
    EXPECT_FALSE(watch.transferStopped());
}

TEST_F(ProcessWatchTest, StartNeedsTheCardAndNoAttachment) {
    host.cardOpen = false;
    EXPECT_FALSE(watch.canStart());
    EXPECT_FALSE(watch.startTransfer(100));
    EXPECT_EQ(host.take(), kNothing);

    // The card closed does not stop the automatic attach, and Stop then sticks.
    tick(true, 20000);
    ASSERT_TRUE(host.attached);
    EXPECT_FALSE(watch.canStart());
    EXPECT_TRUE(watch.canStop());
    EXPECT_TRUE(watch.stopTransfer());
    host.take();
    EXPECT_FALSE(watch.startTransfer(100));
    EXPECT_EQ(tick(true, 20000), kNothing);

    host.cardOpen = true;
    EXPECT_TRUE(watch.startTransfer(100));
    EXPECT_EQ(host.take(), kBegin);
    EXPECT_FALSE(watch.startTransfer(100)); // disabled while attached
    EXPECT_EQ(host.take(), kNothing);
}

TEST_F(ProcessWatchTest, FailedStartReturnsToWaiting) {
    tick(true, 20000);
    watch.stopTransfer();
    host.take();
    host.attachSucceeds = false;
    EXPECT_FALSE(watch.startTransfer(100));
    EXPECT_EQ(host.take(), std::vector<std::string>{"attach failed"});
    EXPECT_FALSE(watch.transferStopped()); // automatic attach is active again
    host.attachSucceeds = true;
    EXPECT_EQ(tick(true, 20000), kBegin);
}
