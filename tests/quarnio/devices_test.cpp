#include "fake_port.h"

using gb::test::bytes;
using gb::test::Bytes;
using gb::test::QuarnioTest;

namespace {

std::uint32_t word(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

} // namespace

TEST_F(QuarnioTest, OpenRejectsBadDeviceNumbersWithoutTakingASlot) {
    EXPECT_EQ(_OpenDevice(8), -6);
    EXPECT_EQ(_OpenDevice(-1), -6);
    EXPECT_TRUE(port.opened.empty());
    EXPECT_EQ(openCard(3), 0);
}

TEST_F(QuarnioTest, UsbOpenSendsStartUpSequenceToItsObjectName) {
    port.answer(1, bytes({0x08, 0x04, 0x5A}));
    EXPECT_EQ(_OpenDevice(1), 0);
    port.answer(7, bytes({0x08, 0x04, 0x00}));
    EXPECT_EQ(_OpenDevice(7), 1);
    ASSERT_EQ(port.opened.size(), 2u);
    EXPECT_EQ(port.opened[0], "\\\\.\\QUARNUSBDevice0");
    EXPECT_EQ(port.opened[1], "\\\\.\\QUARNUSBDevice6");

    auto sent = port.writesOf(1);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], bytes({0x09, 0x21, 0x00, 0x00}));
    EXPECT_EQ(sent[1], bytes({0x06, 0x09, 0x02, 0xFF}));
    EXPECT_EQ(sent[2], bytes({0x06, 0x0E, 0x00, 0xFF}));
    EXPECT_EQ(port.reads[1], 1);
}

TEST_F(QuarnioTest, OpenFailuresReleaseTheSlotAndTheHandle) {
    port.present[2] = false;
    EXPECT_EQ(_OpenDevice(2), -4);
    EXPECT_EQ(port.closes[2], 0);

    port.answer(1, bytes({0x08, 0x05, 0x00})); // wrong answer code
    EXPECT_EQ(_OpenDevice(1), -1);
    EXPECT_EQ(port.closes[1], 1);

    port.answer(1, bytes({0x08, 0x04, 0x01})); // wrong byte 2
    EXPECT_EQ(_OpenDevice(1), -1);

    // A card that does not answer is not accepted on the strength of the last answer's bytes.
    port.answer(1, bytes({0x08, 0x04, 0x00}));
    EXPECT_EQ(_OpenDevice(1), 0);
    EXPECT_EQ(_CloseDevice(0), 0);
    EXPECT_EQ(_OpenDevice(1), -1);
    EXPECT_EQ(port.closes[1], 4);

    std::uint8_t info[84];
    ASSERT_EQ(_GetDeviceInfo(1, info), 0);
    EXPECT_EQ(word(info + 4), 0u);
    EXPECT_EQ(word(info), 0xFFFFFFFFu);
    EXPECT_EQ(openCard(5), 0); // every failed open gave its slot back
}

TEST_F(QuarnioTest, IsaOpenWaitsForTheAnswerBit) {
    port.answer(0, bytes({0x00}));
    port.answer(0, bytes({0x7F, 0x04}));
    port.answer(0, bytes({0x81, 0x04, 0x5A}));
    EXPECT_EQ(_OpenDevice(0), 0);
    EXPECT_EQ(port.opened[0], "\\\\.\\QUARNISADevice0");
    EXPECT_EQ(port.reads[0], 3);
}

TEST_F(QuarnioTest, IsaOpenGivesUpAfterAThousandReads) {
    std::uint64_t before = gb::platform::loopClockMilliseconds();
    EXPECT_EQ(_OpenDevice(0), -1);
    EXPECT_EQ(port.reads[0], 1000);
    EXPECT_EQ(port.closes[0], 1);
    EXPECT_GE(gb::platform::loopClockMilliseconds() - before, 1000u);

    port.answer(0, bytes({0x80, 0x03, 0x00}));
    EXPECT_EQ(_OpenDevice(0), -1);
}

TEST_F(QuarnioTest, SlotsShareOneOpenDevice) {
    int first = openCard(0);
    int second = _OpenDevice(0);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    EXPECT_TRUE(port.writes.empty()); // no second start-up sequence
    EXPECT_EQ(port.opened.size(), 1u);

    std::uint8_t info[84];
    _GetDeviceInfo(0, info);
    EXPECT_EQ(word(info + 4), 2u);

    EXPECT_EQ(_CloseDevice(first), 0);
    EXPECT_EQ(port.closes[0], 0);
    EXPECT_EQ(_SendQP(second, 1), 0);
    EXPECT_EQ(_SendQP(first, 1), -2);
    EXPECT_EQ(_CloseDevice(second), 0);
    EXPECT_EQ(port.closes[0], 1);
    EXPECT_EQ(_SendQP(second, 1), -2);
}

TEST_F(QuarnioTest, SlotTableHoldsThirtyTwoSlots) {
    openCard(4);
    for (int i = 1; i < 32; ++i)
        EXPECT_EQ(_OpenDevice(4), i);
    EXPECT_EQ(_OpenDevice(4), -3);
    EXPECT_EQ(_OpenDevice(1), -3);
    EXPECT_EQ(_CloseAllHandles(0), 0);
    EXPECT_EQ(port.closes[4], 1);
    EXPECT_EQ(openCard(1), 0);
}

TEST_F(QuarnioTest, SlotCheckCodes) {
    EXPECT_EQ(_CloseDevice(0), -2);
    EXPECT_EQ(_CloseDevice(32), -2);
    EXPECT_EQ(_CloseDevice(-1), -2);
    EXPECT_EQ(_SendQP(40, 1), -2);
    EXPECT_EQ(_GetData(31), -2);

    // A slot whose device is found closed is released on the spot.
    int slot = openCard(2);
    quarnio::lib.devices[2].handle = gb::platform::InvalidDeviceHandle;
    EXPECT_EQ(_SendPH(slot, 1, 2, 3, 4, 5), -4);
    EXPECT_EQ(_SendPH(slot, 1, 2, 3, 4, 5), -2);
}

TEST_F(QuarnioTest, DeferredClosePacketIsWrittenAtEveryClose) {
    int a = openCard(3);
    int b = _OpenDevice(3);
    Bytes packet = bytes({0x09, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07});
    busy(3) = 1;
    EXPECT_EQ(_BlindSend(a, packet.data(), 0), 0); // the deferred path ignores busy
    busy(3) = 0;
    EXPECT_TRUE(port.writes.empty());

    std::uint8_t info[84];
    _GetDeviceInfo(3, info);
    EXPECT_EQ(word(info + 16), 1u);
    EXPECT_EQ(info[20], 0x09);
    EXPECT_EQ(info[25], 0x05);
    EXPECT_EQ(info[26], 0x00); // only 6 bytes are kept

    EXPECT_EQ(_CloseDevice(a), 0);
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0].data, bytes({0x09, 0x01, 0x02, 0x03, 0x04, 0x05}));
    EXPECT_EQ(_CloseDevice(b), 0);
    EXPECT_EQ(port.writes.size(), 1u); // written once, then cleared

    int c = openCard(3);
    Bytes other = bytes({0x41, 0x42});
    EXPECT_EQ(_BlindSend(c, other.data(), 0), 0);
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0].data, other);
    busy(3) = 1;
    EXPECT_EQ(_BlindSend(c, other.data(), 0), -7);
}

TEST_F(QuarnioTest, DeviceInfoChecksItsArguments) {
    std::uint8_t info[84];
    std::memset(info, 0xEE, sizeof info);
    EXPECT_EQ(_GetDeviceInfo(8, info), -6);
    EXPECT_EQ(_GetDeviceInfo(-1, info), -6);
    EXPECT_EQ(info[0], 0xEE);
    EXPECT_EQ(_GetDeviceInfo(0, nullptr), -1);

    openCard(6);
    ASSERT_EQ(_GetDeviceInfo(6, info), 0);
    EXPECT_EQ(word(info), 106u); // the port's handle
    EXPECT_EQ(word(info + 4), 1u);
    EXPECT_EQ(word(info + 8), 0u);
    EXPECT_EQ(word(info + 12), 0u);
    EXPECT_EQ(word(info + 16), 0u);
}
