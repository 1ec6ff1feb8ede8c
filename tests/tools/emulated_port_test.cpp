// The device library against emulated cards in this process: the emulator must answer every
// exchange the library starts the way the library expects, and record what the library sent.

#include "platform/event_loop.h"
#include "quarnio/library.h"
#include "quarnio/quarnio.h"
#include "support/quarnio_session.h"
#include "tools/card_emulator/emulated_port.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace gb::emu {
namespace {

class LibraryOnEmulator : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(session_.loaded()); }

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
    // Natively the waits of the ISA exchanges cost no time; Windows has no simulated clock.
    gb::test::QuarnioSession session_{*port_};
};

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

TEST_F(LibraryOnEmulator, FaultsAsTheLibrarySeesThem) {
    // Slower than the library's 1000 reads: no answer, and the object is closed again.
    port_->card(0).faults().isaSlowReads = 1200;
    EXPECT_EQ(_OpenDevice(0), -1);
    EXPECT_FALSE(port_->isOpen(0));
    port_->card(0).faults().isaSlowReads = 40;
    int isa = _OpenDevice(0);
    ASSERT_GE(isa, 0);

    Card& card = port_->card(0);
    std::uint8_t reply[64] = {};
    card.faults().wrongCodes = true;
    EXPECT_EQ(_SendCommand(isa, 0x05, 0x10, 0, 0, reply, 3), -1);
    EXPECT_EQ(_SendCommand(isa, 0x05, 0x08, 0, 0, reply, 4), -1);
    card.faults().wrongCodes = false;
    // A lost answer ends the wait, and the exchange still reports 0.
    card.faults().dropAnswers = 1;
    const int acknowledged = countWrites(0, {0x15});
    EXPECT_EQ(_SendCommand(isa, 0x05, 0x10, 0, 0, reply, 3), 0);
    EXPECT_EQ(countWrites(0, {0x15}), acknowledged); // nothing taken, nothing acknowledged

    int usb = _OpenDevice(7);
    ASSERT_GE(usb, 0);
    EXPECT_NE(_StartUSBIntPoll(usb), 0);
    EXPECT_TRUE(port_->card(7).usbInterruptPolling());
    port_->card(7).faults().failControl = true;
    EXPECT_EQ(_StopUSBIntPoll(usb), 0);
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

} // namespace
} // namespace gb::emu
