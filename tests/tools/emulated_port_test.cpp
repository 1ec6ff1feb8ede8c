// The device library against emulated cards in this process: the emulator must answer every
// exchange the library starts the way the library expects, and record what the library sent.

#include "platform/event_loop.h"
#include "quarnio/library.h"
#include "quarnio/quarnio.h"
#include "tools/card_emulator/emulated_port.h"
#include "tools/card_emulator/view.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace gb::emu {
namespace {

class LibraryOnEmulator : public ::testing::Test {
protected:
    void SetUp() override {
        // Natively the waits of the ISA exchanges then cost no time; Windows has no such clock.
        gb::platform::useSimulatedClock(true);
        quarnio::unloadForTests();
        ASSERT_TRUE(quarnio::loadEntry(1));
        previous_ = gb::platform::setDevicePortBackend(port_.get());
    }
    void TearDown() override {
        _CloseAllHandles(0);
        quarnio::loadEntry(0);
        quarnio::unloadForTests();
        gb::platform::setDevicePortBackend(previous_);
        gb::platform::useSimulatedClock(false);
    }

    // The written packets of a device whose first bytes are `head`.
    int countWrites(int device, std::initializer_list<std::uint8_t> head) {
        int n = 0;
        const PacketLog& log = port_->log();
        for (std::size_t i = 0; i < log.size(); ++i) {
            const LogEntry& e = log.at(i);
            if (e.direction != Direction::Write || e.device != device) continue;
            if (std::equal(head.begin(), head.end(), e.data.begin())) ++n;
        }
        return n;
    }

    std::unique_ptr<EmulatedPort> port_ = std::make_unique<EmulatedPort>();
    gb::platform::DevicePortBackend* previous_ = nullptr;
};

TEST_F(LibraryOnEmulator, UsbOpenAndBatchWithinTwoPolls) {
    int slot = _OpenDevice(1);
    ASSERT_GE(slot, 0);
    Card& card = port_->card(1);
    EXPECT_TRUE(card.handshakeDone());
    EXPECT_TRUE(port_->isOpen(1));
    EXPECT_EQ(countWrites(1, {0x09, 0x21, 0x00, 0x00}), 1);
    EXPECT_EQ(countWrites(1, {0x06, 0x0E, 0x00, 0xFF}), 1);

    ASSERT_EQ(_SendQP(slot, 5), 0);
    ASSERT_EQ(_SendPH(slot, 3, 1, 2, 3, 4), 0);
    gb::platform::runMessageLoopFor(61);
    EXPECT_EQ(countWrites(1, {0x06, 0x00, 0x20, 0x05, 0x10, 0x03, 0x01, 0x02, 0x03, 0x04, 0xFF}), 1)
        << renderCardState(card, "USB1", 20);
    ASSERT_EQ(card.qprocCount(), 1u);
    EXPECT_EQ(card.recentQProc(0), 5);
    const std::uint8_t* ph = card.pigeonHole(3);
    EXPECT_EQ((std::array<std::uint8_t, 4>{ph[0], ph[1], ph[2], ph[3]}),
              (std::array<std::uint8_t, 4>{1, 2, 3, 4}));

    EXPECT_EQ(_CloseDevice(slot), 0);
    EXPECT_FALSE(port_->isOpen(1));
}

TEST_F(LibraryOnEmulator, OpenFailures) {
    port_->plug(2, false);
    EXPECT_EQ(_OpenDevice(2), -4);

    port_->card(3).faults().wrongCodes = true;
    EXPECT_EQ(_OpenDevice(3), -1);
    EXPECT_FALSE(port_->isOpen(3)); // the slot was closed again, and with it the object

    port_->card(4).faults().silent = true;
    EXPECT_EQ(_OpenDevice(4), -1);

    port_->card(5).setHandshakeByte(0x5A);
    EXPECT_GE(_OpenDevice(5), 0);
    port_->card(6).setHandshakeByte(0x5B);
    EXPECT_EQ(_OpenDevice(6), -1);
}

TEST_F(LibraryOnEmulator, IsaCardSlowToAnswer) {
    port_->card(0).faults().isaSlowReads = 40;
    int slot = _OpenDevice(0);
    EXPECT_GE(slot, 0);
    EXPECT_EQ(_CloseDevice(slot), 0);

    // Slower than the library's 1000 reads: no answer.
    port_->card(0).faults().isaSlowReads = 1200;
    EXPECT_EQ(_OpenDevice(0), -1);
    EXPECT_FALSE(port_->isOpen(0));
}

TEST_F(LibraryOnEmulator, IsaBatchAfterPreRead) {
    int slot = _OpenDevice(0);
    ASSERT_GE(slot, 0);
    for (int qp = 0; qp < 20; ++qp)
        ASSERT_EQ(_SendQP(slot, qp), 0);
    Faults& faults = port_->card(0).faults();
    faults.refuseOutput = true;
    EXPECT_EQ(_GetData(slot), 0);
    faults.refuseOutput = false;
    faults.outputBusy = true;
    EXPECT_EQ(_GetData(slot), 0);
    EXPECT_EQ(port_->card(0).qprocCount(), 0u);
    EXPECT_EQ(countWrites(0, {0x06, 0x00}), 0);
    faults.outputBusy = false;
    EXPECT_EQ(_GetData(slot), 0);
    EXPECT_EQ(port_->card(0).qprocCount(), 15u); // 32-byte ISA packets hold 15 QProc calls
    EXPECT_EQ(_GetData(slot), 0);
    EXPECT_EQ(port_->card(0).qprocCount(), 20u);
    EXPECT_EQ(port_->card(0).recentQProc(0), 19);
}

TEST_F(LibraryOnEmulator, InputStateAndEventsReachTheCaller) {
    int slot = _OpenDevice(2);
    ASSERT_GE(slot, 0);
    Card& card = port_->card(2);
    const std::uint8_t input[3] = {0x11, 0x22, 0x33};
    card.setInput(41, input, 3);
    const std::uint8_t qpEvent[2] = {0x21, 0x05};
    const std::uint8_t wideEvent[9] = {0x0C, 1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(card.injectEvent(qpEvent, 2));
    ASSERT_TRUE(card.injectEvent(wideEvent, 9));
    EXPECT_EQ(_GetData(slot), 0);

    std::uint8_t state[64] = {};
    ASSERT_EQ(_GetAnalogs(slot, state), 0);
    EXPECT_EQ(state[41], 0x11);
    EXPECT_EQ(state[43], 0x33);
    EXPECT_EQ(state[44], 0); // a USB poll fills 44 bytes

    std::uint8_t record[10] = {};
    ASSERT_EQ(_GetEvent(slot, record), 0);
    EXPECT_EQ(record[1], 0x21);
    EXPECT_EQ(record[2], 0x05);
    ASSERT_EQ(_GetEvent(slot, record), 0);
    EXPECT_EQ(record[1], 0x0C);
    EXPECT_EQ(record[9], 8);
    EXPECT_EQ(_GetEvent(slot, record), -1);
}

TEST_F(LibraryOnEmulator, CardMemoryAndPointerBlockOnBothKinds) {
    std::array<std::uint8_t, 130> out{};
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<std::uint8_t>(i * 7 + 1);
    for (int device : {0, 1}) {
        SCOPED_TRACE(device);
        int slot = _OpenDevice(device);
        ASSERT_GE(slot, 0);
        ASSERT_EQ(_WriteQuarn(slot, out.data(), 0x1233, 130), 0);
        EXPECT_EQ(port_->card(device).memory()[0x1233 + 129], out[129]);
        std::array<std::uint8_t, 130> back{};
        ASSERT_EQ(_ReadQuarn(slot, back.data(), 0x1233, 130), 0);
        EXPECT_EQ(back, out);

        const int pointerBytes = device == 0 ? 60 : 120;
        ASSERT_EQ(_WritePointers(slot, out.data()), 0);
        EXPECT_EQ(port_->card(device).memory()[0x4100 + pointerBytes - 1], out[pointerBytes - 1]);
        std::array<std::uint8_t, 120> pointers{};
        ASSERT_EQ(_GetPointers(slot, pointers.data(), pointerBytes), 0);
        EXPECT_TRUE(std::equal(pointers.begin(), pointers.begin() + pointerBytes, out.begin()));
    }
}

TEST_F(LibraryOnEmulator, IsaCommandExchanges) {
    int slot = _OpenDevice(0);
    ASSERT_GE(slot, 0);
    Card& card = port_->card(0);
    card.setIdentity(0x51, 0x52, 0x53, 0x54);
    std::uint8_t reply[64] = {};
    ASSERT_EQ(_SendCommand(slot, 0x05, 0x08, 0, 0, reply, 4), 0);
    EXPECT_EQ((std::array<std::uint8_t, 4>{reply[0], reply[1], reply[2], reply[3]}),
              (std::array<std::uint8_t, 4>{0x51, 0x52, 0x53, 0x54}));
    EXPECT_EQ(countWrites(0, {0x15}), 3); // each answer acknowledged

    ASSERT_EQ(_SendCommand(slot, 0x05, 0x10, 0x44, 0x55, reply, 3), 0);
    EXPECT_EQ(reply[0], 0x07);
    EXPECT_EQ(reply[1], 0x44);
    EXPECT_EQ(reply[2], 0x55);

    card.faults().wrongCodes = true;
    EXPECT_EQ(_SendCommand(slot, 0x05, 0x10, 0, 0, reply, 3), -1);
    EXPECT_EQ(_SendCommand(slot, 0x05, 0x08, 0, 0, reply, 4), -1);
    card.faults().wrongCodes = false;
    // A missing answer ends the wait and the exchange still reports 0.
    card.faults().dropAnswers = 1;
    EXPECT_EQ(_SendCommand(slot, 0x05, 0x10, 0, 0, reply, 3), 0);
}

TEST_F(LibraryOnEmulator, ScriptedReplayDrivesTheLibrary) {
    std::string error;
    ASSERT_TRUE(port_->loadScript("dev 1\n"
                                  "08 04 5A            # handshake\n"
                                  "01 AA BB            # poll: events waiting, input AA BB\n"
                                  "20 07 10 01 0A 0B 0C 0D FF  # events\n"
                                  "none                # a poll that gets no answer\n",
                                  error))
        << error;
    int slot = _OpenDevice(1);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(_GetData(slot), 0);
    std::uint8_t record[10] = {};
    ASSERT_EQ(_GetEvent(slot, record), 0);
    EXPECT_EQ(record[1], 0x20);
    EXPECT_EQ(record[2], 0x07);
    ASSERT_EQ(_GetEvent(slot, record), 0);
    EXPECT_EQ(record[1], 0x10);
    EXPECT_EQ(record[6], 0x0D);
    std::uint8_t state[64] = {};
    ASSERT_EQ(_GetAnalogs(slot, state), 0);
    EXPECT_EQ(state[0], 0xAA);
    EXPECT_EQ(state[1], 0xBB);
    EXPECT_EQ(_GetData(slot), 0);
    EXPECT_EQ(port_->card(1).scriptRemaining(), 0u);
}

TEST_F(LibraryOnEmulator, UsbInterruptPollingControlRequests) {
    int slot = _OpenDevice(7);
    ASSERT_GE(slot, 0);
    EXPECT_NE(_StartUSBIntPoll(slot), 0);
    EXPECT_TRUE(port_->card(7).usbInterruptPolling());
    EXPECT_NE(_StopUSBIntPoll(slot), 0);
    EXPECT_FALSE(port_->card(7).usbInterruptPolling());
    port_->card(7).faults().failControl = true;
    EXPECT_EQ(_StartUSBIntPoll(slot), 0);
}

TEST_F(LibraryOnEmulator, GarbageEventsStayInsideTheQueues) {
    int slot = _OpenDevice(1);
    ASSERT_GE(slot, 0);
    port_->card(1).faults().garbageEvents = true;
    std::uint8_t record[10];
    for (int poll = 0; poll < 50; ++poll) {
        EXPECT_EQ(_GetData(slot), 0);
        while (_GetEvent(slot, record) == 0) {
        }
    }
    // The pool must come back whole: a full queue's worth of items still goes out.
    port_->card(1).faults().garbageEvents = false;
    for (int qp = 0; qp < 31; ++qp)
        ASSERT_EQ(_SendQP(slot, qp), 0);
    EXPECT_EQ(_GetData(slot), 0);
    EXPECT_EQ(port_->card(1).qprocCount(), 31u);
}

} // namespace
} // namespace gb::emu
