#include "fake_port.h"

using gb::test::bytes;
using gb::test::Bytes;
using gb::test::QuarnioTest;
using gb::test::startsWith;

namespace {

// Timer tests count ticks on the simulated clock, which only the native loop has.
#define NEED_SIMULATED_CLOCK()                                                                     \
    if (!gb::platform::useSimulatedClock(true)) GTEST_SKIP() << "real clock only"

int polls(const std::vector<Bytes>& sent) {
    int n = 0;
    for (const Bytes& b : sent)
        n += b == bytes({0x05, 0x80, 0xFF});
    return n;
}

} // namespace

TEST_F(QuarnioTest, TimerPollsEveryOpenDeviceEveryThirtyMilliseconds) {
    NEED_SIMULATED_CLOCK();
    gb::platform::runMessageLoopFor(300);
    EXPECT_TRUE(port.writes.empty()); // nothing open, nothing polled

    openCard(2);
    openCard(0);
    port.idle[2] = bytes({0x00});
    port.idle[0] = bytes({0x00});
    gb::platform::runMessageLoopFor(1); // the tick that fell due while the opens waited
    port.writes.clear();
    gb::platform::runMessageLoopFor(300);
    EXPECT_EQ(polls(port.writesOf(2)), 10);
    EXPECT_EQ(polls(port.writesOf(0)), 10);
    EXPECT_EQ(port.writes[0].device, 0); // devices in number order within a tick
    EXPECT_EQ(port.writes[1].device, 2);
    EXPECT_EQ(port.writes.size(), 20u);
}

TEST_F(QuarnioTest, StoppedPollingHoldsOutputUntilStartedOrAskedFor) {
    NEED_SIMULATED_CLOCK();
    int slot = openCard(1);
    port.idle[1] = bytes({0x02});
    EXPECT_EQ(_StopPolling(), 0);
    EXPECT_EQ(_SendQP(slot, 5), 0);
    gb::platform::runMessageLoopFor(300);
    EXPECT_TRUE(port.writes.empty());

    EXPECT_EQ(_GetData(slot), 0);
    ASSERT_EQ(port.writes.size(), 2u);
    EXPECT_TRUE(startsWith(port.writes[1].data, {0x06, 0x00, 0x20, 0x05, 0xFF}));

    _SendQP(slot, 6);
    EXPECT_EQ(_StartPolling(), 0);
    gb::platform::runMessageLoopFor(30);
    ASSERT_EQ(port.writes.size(), 4u);
    EXPECT_TRUE(startsWith(port.writes[3].data, {0x06, 0x00, 0x20, 0x06, 0xFF}));
}

TEST_F(QuarnioTest, UnloadKillsTheTimerItCreated) {
    NEED_SIMULATED_CLOCK();
    openCard(1);
    port.idle[1] = bytes({0x00});
    quarnio::loadEntry(0);
    gb::platform::runMessageLoopFor(300);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(quarnio::lib.acceptedTimer, -1);
}

TEST_F(QuarnioTest, PollStoresInputStateByCardKind) {
    int usb = openCard(1);
    int isa = openCard(0);
    std::uint8_t state[64];
    std::memset(state, 0xEE, sizeof state);
    EXPECT_EQ(_GetAnalogs(usb, state), 0);
    for (std::uint8_t b : state)
        ASSERT_EQ(b, 0); // never polled

    Bytes answer{};
    for (int i = 0; i < 64; ++i)
        answer[i] = static_cast<std::uint8_t>(0x80 + i);
    answer[0] = 0x00;
    port.answer(1, answer);
    port.answer(0, answer);
    _GetData(usb);
    _GetData(isa);
    _GetAnalogs(usb, state);
    EXPECT_EQ(state[0], 0x81);
    EXPECT_EQ(state[43], 0x80 + 44);
    EXPECT_EQ(state[44], 0);
    _GetAnalogs(isa, state);
    EXPECT_EQ(state[0], 0x85);
    EXPECT_EQ(state[15], 0x80 + 20);
    EXPECT_EQ(state[16], 0);
    EXPECT_EQ(busy(1), 0u);
}

TEST_F(QuarnioTest, StatusThreeReadsEventsBeforeSendingOutput) {
    int slot = openCard(1);
    _SendQP(slot, 7);
    answerPoll(1, 0x03);
    port.answer(1, bytes({0x21, 0x01, 0xFF}));
    _GetData(slot);
    auto sent = port.writesOf(1);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_TRUE(startsWith(sent[0], {0x05, 0x80, 0xFF}));
    EXPECT_TRUE(startsWith(sent[1], {0x0D, 0xFF}));
    EXPECT_TRUE(startsWith(sent[2], {0x06, 0x00, 0x20, 0x07, 0xFF}));
}

TEST_F(QuarnioTest, EventsComeOutInArrivalOrderThroughAnySlot) {
    int usb = openCard(1);
    int isa = openCard(0);
    answerPoll(1, 0x01);
    port.answer(1, bytes({0x20, 0x11, 0x0C, 1, 2, 3, 4, 5, 6, 7, 8, 0x08, 9, 9, 9, 0xFF, 0x20}));
    answerPoll(0, 0x01);
    port.answer(0, bytes({0xA1, 0xAA, 0xBB, 0xCC, 0xFF}));
    _GetData(usb);
    _GetData(isa);

    std::uint8_t record[16];
    std::memset(record, 0xEE, sizeof record);
    ASSERT_EQ(_GetEvent(isa, record), 0); // events carry no device
    EXPECT_EQ(record[0], 0xEE);
    EXPECT_EQ(record[1], 0x20);
    EXPECT_EQ(record[2], 0x11);
    EXPECT_EQ(record[3], 0xEE);
    ASSERT_EQ(_GetEvent(usb, record), 0);
    const std::uint8_t longest[10] = {0xEE, 0x0C, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(std::memcmp(record, longest, sizeof longest), 0);
    EXPECT_EQ(record[10], 0xEE);
    ASSERT_EQ(_GetEvent(usb, record), 0);
    EXPECT_EQ(record[1], 0x08);
    EXPECT_EQ(record[4], 9);
    ASSERT_EQ(_GetEvent(usb, record), 0);
    EXPECT_EQ(record[1], 0xA1);
    EXPECT_EQ(record[4], 0xCC);

    std::memset(record, 0x55, sizeof record);
    EXPECT_EQ(_GetEvent(usb, record), -1);
    EXPECT_EQ(record[1], 0x55);
    EXPECT_EQ(busy(1), 0u);
}

TEST_F(QuarnioTest, EventPacketsAreReadOnlyAsFarAsTheyGo) {
    int slot = openCard(1);
    // No events: byte 0 is the end marker.
    answerPoll(1, 0x01);
    port.answer(1, bytes({0xFF, 0x20, 0x01}));
    _GetData(slot);
    std::uint8_t record[16];
    EXPECT_EQ(_GetEvent(slot, record), -1);

    // A full packet of 2-byte items, then one 9-byte item cut off by the packet's end.
    Bytes packet{};
    for (int i = 0; i < 60; i += 2) {
        packet[i] = 0x30;
        packet[i + 1] = static_cast<std::uint8_t>(i);
    }
    packet[60] = 0x0C;
    answerPoll(1, 0x01);
    port.answer(1, packet);
    _GetData(slot);
    int count = 0;
    while (_GetEvent(slot, record) == 0) {
        EXPECT_EQ(record[1], 0x30);
        ++count;
    }
    EXPECT_EQ(count, 30);
}

TEST_F(QuarnioTest, EventQueueHoldsSixtyThree) {
    int slot = openCard(1);
    Bytes packet{};
    for (int i = 0; i < 64; i += 2) {
        packet[i] = 0x40;
        packet[i + 1] = static_cast<std::uint8_t>(i / 2);
    }
    for (int round = 0; round < 2; ++round) {
        answerPoll(1, 0x01);
        port.answer(1, packet);
        _GetData(slot);
    }
    std::uint8_t record[16];
    int count = 0;
    while (_GetEvent(slot, record) == 0)
        ++count;
    EXPECT_EQ(count, 63);
    EXPECT_EQ(record[2], 30); // the 64th was dropped: the last kept is item 30 of round two
}

TEST_F(QuarnioTest, FailedPollReadJudgesNothing) {
    int slot = openCard(1);
    _SendQP(slot, 9);
    answerPoll(1, 0x03);
    port.answer(1, bytes({0x20, 0x01, 0xFF}));
    _GetData(slot);
    std::uint8_t record[16];
    ASSERT_EQ(_GetEvent(slot, record), 0);
    port.writes.clear();

    // The card stops answering: neither the old status nor the old events are acted on again.
    _SendQP(slot, 10);
    _GetData(slot);
    EXPECT_EQ(port.writes.size(), 1u);
    answerPoll(1, 0x01);
    port.failRead(1);
    _GetData(slot);
    EXPECT_EQ(_GetEvent(slot, record), -1);
}

TEST_F(QuarnioTest, GetEventOnAClosedDeviceKeepsTheSlot) {
    int slot = openCard(1);
    quarnio::lib.devices[1].handle = gb::platform::InvalidDeviceHandle;
    std::uint8_t record[16];
    EXPECT_EQ(_GetEvent(slot, record), -1);
    EXPECT_EQ(quarnio::lib.slots[slot], 1);
    EXPECT_EQ(_GetEvent(40, record), -2);
    EXPECT_EQ(_GetEvent(5, record), -2);
}

TEST_F(QuarnioTest, UsbInterruptPollingControlRequests) {
    int slot = openCard(3);
    EXPECT_EQ(_StartUSBIntPoll(slot), 1);
    port.controlResult = false;
    EXPECT_EQ(_StopUSBIntPoll(slot), 0);
    ASSERT_EQ(port.controls.size(), 2u);
    EXPECT_EQ(port.controls[0].code, 0x22200Cu);
    EXPECT_EQ(port.controls[1].code, 0x222010u);
    EXPECT_EQ(port.controls[0].device, 3);
    EXPECT_EQ(port.controls[0].inLength, 128u);
    EXPECT_EQ(port.controls[0].outLength, 128u);
    busy(3) = 1; // not used by these requests
    port.controlResult = true;
    EXPECT_EQ(_StartUSBIntPoll(slot), 1);
    EXPECT_EQ(_StartUSBIntPoll(9), -2);
}
