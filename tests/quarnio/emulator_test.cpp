// The library against the in-process card emulator: the card decodes what the library sends, so
// these cases check the two sides agree, not just the bytes.

#include "quarnio/library.h"
#include "quarnio/quarnio.h"
#include "support/quarnio_session.h"
#include "tools/card_emulator/emulated_port.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class QuarnioEmulatorTest : public ::testing::Test {
protected:
    gb::emu::ScopedEmulatedPort port;
    gb::test::QuarnioSession session{*port};

    void SetUp() override { ASSERT_TRUE(session.loaded()); }

    // Polls until the card has taken the queued output (at most a few polls).
    void pollTwice(int slot) {
        if (session.simulatedClock()) {
            gb::platform::runMessageLoopFor(60);
        } else {
            _GetData(slot);
            _GetData(slot);
        }
    }
};

bool loggedWrite(const gb::emu::PacketLog& log, int device, std::initializer_list<int> prefix) {
    for (std::size_t i = 0; i < log.size(); ++i) {
        const gb::emu::LogEntry& e = log.at(i);
        if (e.direction != gb::emu::Direction::Write || e.device != device) continue;
        std::size_t k = 0;
        bool same = true;
        for (int v : prefix)
            same = same && e.data[k++] == static_cast<std::uint8_t>(v);
        if (same) return true;
    }
    return false;
}

} // namespace

TEST_F(QuarnioEmulatorTest, BatchReachesTheCardWithinTwoPolls) {
    int slot = _OpenDevice(1);
    ASSERT_EQ(slot, 0);
    EXPECT_TRUE(port->card(1).handshakeDone());
    EXPECT_EQ(_SendQP(slot, 5), 0);
    EXPECT_EQ(_SendPH(slot, 3, 1, 2, 3, 4), 0);
    pollTwice(slot);
    const std::uint8_t* ph = port->card(1).pigeonHole(3);
    EXPECT_EQ(ph[0], 1);
    EXPECT_EQ(ph[3], 4);
    ASSERT_EQ(port->card(1).qprocCount(), 1u);
    EXPECT_EQ(port->card(1).recentQProc(0), 5);
    EXPECT_TRUE(loggedWrite(port->log(), 1,
                            {0x06, 0x00, 0x20, 0x05, 0x10, 0x03, 0x01, 0x02, 0x03, 0x04, 0xFF}));
}

TEST_F(QuarnioEmulatorTest, OpenHandshakeVariants) {
    port->card(2).setHandshakeByte(0x5A);
    EXPECT_EQ(_OpenDevice(2), 0);
    port->card(3).faults().wrongCodes = true;
    EXPECT_EQ(_OpenDevice(3), -1);
    EXPECT_FALSE(port->isOpen(3));
    port->plug(4, false);
    EXPECT_EQ(_OpenDevice(4), -4);
    port->card(0).faults().isaSlowReads = 5;
    EXPECT_EQ(_OpenDevice(0), 1);
}

TEST_F(QuarnioEmulatorTest, CardMemoryRoundTripOnBothKinds) {
    for (int device : {0, 5}) {
        int slot = _OpenDevice(device);
        ASSERT_GE(slot, 0);
        std::uint8_t data[150], back[150] = {};
        for (int i = 0; i < 150; ++i)
            data[i] = static_cast<std::uint8_t>(i * 7 + device);
        EXPECT_EQ(_WriteQuarn(slot, data, 0x2007, 150), 0);
        EXPECT_EQ(std::memcmp(port->card(device).memory() + 0x2007, data, 150), 0);
        EXPECT_EQ(_ReadQuarn(slot, back, 0x2007, 150), 0);
        EXPECT_EQ(std::memcmp(back, data, 150), 0);
    }
}

TEST_F(QuarnioEmulatorTest, PointerBlockRoundTrip) {
    int usb = _OpenDevice(1);
    std::uint8_t block[120], back[120] = {};
    for (int i = 0; i < 120; ++i)
        block[i] = static_cast<std::uint8_t>(200 - i);
    EXPECT_EQ(_WritePointers(usb, block), 0);
    EXPECT_EQ(_GetPointers(usb, back, 120), 0);
    EXPECT_EQ(std::memcmp(back, block, 120), 0);

    int isa = _OpenDevice(0);
    EXPECT_EQ(_WritePointers(isa, block), 0);
    EXPECT_EQ(std::memcmp(port->card(0).memory() + 0x4100, block, 60), 0);
    std::memset(back, 0, sizeof back);
    EXPECT_EQ(_GetPointers(isa, back, 60), 0);
    EXPECT_EQ(std::memcmp(back, block, 60), 0);
}

TEST_F(QuarnioEmulatorTest, EventsAndInputStateFromTheCard) {
    int slot = _OpenDevice(6);
    const std::uint8_t input[3] = {0x10, 0x20, 0x30};
    port->card(6).setInput(0, input, 3);
    const std::uint8_t a[2] = {0x25, 0x01}, b[4] = {0x0D, 1, 2, 3};
    ASSERT_TRUE(port->card(6).injectEvent(a, 2));
    ASSERT_TRUE(port->card(6).injectEvent(b, 4));
    EXPECT_EQ(_GetData(slot), 0);
    std::uint8_t state[64], record[10];
    EXPECT_EQ(_GetAnalogs(slot, state), 0);
    EXPECT_EQ(state[0], 0x10);
    EXPECT_EQ(state[2], 0x30);
    ASSERT_EQ(_GetEvent(slot, record), 0);
    EXPECT_EQ(record[1], 0x25);
    ASSERT_EQ(_GetEvent(slot, record), 0);
    EXPECT_EQ(record[1], 0x0D);
    EXPECT_EQ(record[4], 3);
    EXPECT_EQ(_GetEvent(slot, record), -1);
}
