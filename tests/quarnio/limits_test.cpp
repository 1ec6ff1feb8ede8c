// Every numeric argument of the 22 entry points at the ends of int's range. Under the sanitizer
// build a signed overflow or an out-of-range conversion inside the library ends the test, so
// these also check the arithmetic on the way, not only the results.
//
// A byte count of INT_MAX for _ReadQuarn and _WriteQuarn is not driven: it promises a 2 GiB
// buffer, and the library copies what the caller promises.

#include "fake_port.h"

#include <climits>

using gb::test::bytes;
using gb::test::Bytes;
using gb::test::QuarnioTest;
using gb::test::startsWith;

namespace {

constexpr int Limits[] = {INT_MIN, INT_MAX};

int queuedOutput() {
    const quarnio::Ring& q = quarnio::lib.outputQueue;
    return (q.write - q.read + quarnio::RingSize) % quarnio::RingSize;
}

} // namespace

TEST_F(QuarnioTest, SlotAndDeviceNumbersAtTheIntLimits) {
    int usb = openCard(1);
    std::uint8_t buffer[128] = {};
    for (int n : {INT_MIN, INT_MAX, -1, 32}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(_OpenDevice(n), -6);
        EXPECT_EQ(_GetDeviceInfo(n, buffer), -6);
        EXPECT_EQ(_CloseDevice(n), -2);
        EXPECT_EQ(_InitQUARN(n, 1), -2);
        EXPECT_EQ(_BlindSend(n, buffer, 0), -2);
        EXPECT_EQ(_SendQP(n, 1), -2);
        EXPECT_EQ(_SendPH(n, 1, 1, 1, 1, 1), -2);
        EXPECT_EQ(_SendPHint(n, 1, 1, 1), -2);
        EXPECT_EQ(_SendCommand(n, 5, 4, 0, 0, buffer, 64), -2);
        EXPECT_EQ(_GetCurrentButtonStates(n, 0, 0, 0, buffer), -2);
        EXPECT_EQ(_ReadQuarn(n, buffer, 0, 4), -2);
        EXPECT_EQ(_WriteQuarn(n, buffer, 0, 4), -2);
        EXPECT_EQ(_GetPointers(n, buffer, 120), -2);
        EXPECT_EQ(_WritePointers(n, buffer), -2);
        EXPECT_EQ(_GetData(n), -2);
        EXPECT_EQ(_GetAnalogs(n, buffer), -2);
        EXPECT_EQ(_GetEvent(n, buffer), -2);
        EXPECT_EQ(_StartUSBIntPoll(n), -2);
        EXPECT_EQ(_StopUSBIntPoll(n), -2);
    }
    EXPECT_EQ(_StartPolling(), 0);
    EXPECT_EQ(_StopPolling(), 0);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_TRUE(port.controls.empty());
    EXPECT_EQ(quarnio::lib.slots[usb], 1); // nothing above touched the open slot

    // The ignored arguments are ignored whatever they hold.
    EXPECT_EQ(_BlindSend(usb, bytes({0x01}).data(), INT_MIN), 0);
    EXPECT_EQ(_BlindSend(usb, bytes({0x02}).data(), INT_MAX), 0);
    EXPECT_EQ(port.writes.size(), 2u);
    EXPECT_EQ(_CloseAllHandles(INT_MIN), 0);
    EXPECT_EQ(_CloseAllHandles(INT_MAX), 0);
    EXPECT_EQ(quarnio::lib.slots[usb], -1);
}

TEST_F(QuarnioTest, ItemArgumentsAtTheIntLimitsKeepTheirLowBits) {
    int slot = openCard(1);
    for (int n : Limits) {
        EXPECT_EQ(_SendQP(slot, n), 0); // no item code of its own: dropped
        EXPECT_EQ(_InitQUARN(slot, n), 0);
    }
    EXPECT_EQ(queuedOutput(), 0);
    auto sent = port.writesOf(1);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], bytes({0x09, 0x00, 0x00, 0xFF}));
    EXPECT_EQ(sent[1], bytes({0x09, 0xFF, 0x00, 0xFF}));

    EXPECT_EQ(_SendPH(slot, INT_MIN, INT_MAX, INT_MIN, INT_MAX, INT_MIN), 0);
    EXPECT_EQ(_SendPH(slot, INT_MAX, INT_MIN, INT_MAX, INT_MIN, INT_MAX), 0);
    EXPECT_EQ(_SendPHint(slot, INT_MIN, INT_MAX, INT_MIN), 0);
    EXPECT_EQ(_SendPHint(slot, INT_MAX, INT_MIN, INT_MAX), 0);
    port.writes.clear();
    answerPoll(1, 0x02);
    EXPECT_EQ(_GetData(slot), 0);
    sent = port.writesOf(1);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1], bytes({0x06, 0x00,                         //
                              0x10, 0x00, 0xFF, 0x00, 0xFF, 0x00, //
                              0x10, 0xFF, 0x00, 0xFF, 0x00, 0xFF, //
                              0x10, 0x00, 0xFF, 0xFF, 0x00, 0x00, //
                              0x10, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF}));
}

TEST_F(QuarnioTest, CommandArgumentsAtTheIntLimits) {
    int usb = openCard(1);
    int isa = openCard(0);
    Bytes answer{};
    for (int i = 0; i < 64; ++i)
        answer[i] = static_cast<std::uint8_t>(0x80 + i);
    port.idle[0] = answer; // every ISA read answers at once, with byte 1 = 0x81
    port.idle[1] = answer;
    std::uint8_t reply[128];

    for (int n : Limits) {
        SCOPED_TRACE(n);
        for (int slot : {usb, isa}) {
            EXPECT_EQ(_SendCommand(slot, n, 5, 0, 0, reply, 8), 0);
            EXPECT_EQ(_SendCommand(slot, 5, n, 0, 0, reply, 8), 0);
            EXPECT_EQ(_SendCommand(slot, 5, 4, n, n, reply, 8), 0);
            EXPECT_EQ(_GetCurrentButtonStates(slot, n, n, n, reply), 0);
        }
    }
    // Every reply length at the limits, on every ISA path and the USB one; a negative length
    // copies nothing, a large one at most 64 bytes.
    for (int sub : {0x04, 0x02}) {
        std::memset(reply, 0xEE, sizeof reply);
        EXPECT_EQ(_SendCommand(isa, 5, sub, 0, 0, reply, INT_MIN), 0);
        EXPECT_EQ(reply[0], 0xEE) << "sub " << sub;
        EXPECT_EQ(_SendCommand(isa, 5, sub, 0, 0, reply, INT_MAX), 0);
        EXPECT_NE(reply[0], 0xEE) << "sub " << sub;
        EXPECT_EQ(reply[64], 0xEE) << "sub " << sub;
    }
    std::memset(reply, 0xEE, sizeof reply);
    EXPECT_EQ(_SendCommand(usb, 5, 4, 0, 0, reply, INT_MIN), 0);
    EXPECT_EQ(reply[0], 0xEE);
    EXPECT_EQ(_SendCommand(usb, 5, 4, 0, 0, reply, INT_MAX), 0);
    EXPECT_EQ(reply[63], 0x80 + 63);
    EXPECT_EQ(reply[64], 0xEE);
    // 0x08 and 0x10 fill their fixed replies whatever the length says; both fail here on the
    // answer's code 0x81.
    for (int length : Limits) {
        EXPECT_EQ(_SendCommand(isa, 5, 0x08, 0, 0, reply, length), -1);
        EXPECT_EQ(_SendCommand(isa, 5, 0x10, 0, 0, reply, length), -1);
    }
    EXPECT_EQ(busy(0), 0u);
    EXPECT_EQ(busy(1), 0u);

    // Lengths just below and at the first copied byte of sub-command 0x04.
    for (int length : {4, 5, 6, 7}) {
        std::memset(reply, 0xEE, sizeof reply);
        EXPECT_EQ(_SendCommand(isa, 5, 4, 0, 0, reply, length), 0);
        EXPECT_EQ(reply[0], length == 7 ? 0x85 : 0x00) << "length " << length;
        EXPECT_EQ(reply[length], 0xEE) << "length " << length;
    }
}

TEST_F(QuarnioTest, CardMemoryArgumentsAtTheIntLimits) {
    int usb = openCard(1);
    int isa = openCard(0);
    std::uint8_t data[130] = {};
    Bytes block{};
    for (int i = 0; i < 64; ++i)
        block[i] = static_cast<std::uint8_t>(i);
    port.idle[0] = block;
    port.idle[1] = block;

    // The card's address is the low 16 bits of address + bytes done, carried past INT_MAX.
    EXPECT_EQ(_WriteQuarn(usb, data, INT_MAX, 70), 0);
    EXPECT_EQ(_ReadQuarn(usb, data, INT_MAX, 70), 0);
    EXPECT_EQ(_WriteQuarn(isa, data, INT_MIN, 70), 0);
    EXPECT_EQ(_ReadQuarn(isa, data, INT_MAX, 20), 0);
    auto u = port.writesOf(1);
    ASSERT_EQ(u.size(), 4u);
    EXPECT_TRUE(startsWith(u[0], {0x03, 0xFF, 0xFF, 60}));
    EXPECT_TRUE(startsWith(u[1], {0x03, 0x3B, 0x00, 10}));
    EXPECT_TRUE(startsWith(u[2], {0x04, 0xFF, 0xFF, 60}));
    EXPECT_TRUE(startsWith(u[3], {0x04, 0x3B, 0x00, 10}));
    auto i = port.writesOf(0);
    ASSERT_EQ(i.size(), 5u);
    EXPECT_TRUE(startsWith(i[0], {0x03, 0x00, 0x00, 60}));
    EXPECT_TRUE(startsWith(i[1], {0x03, 0x3C, 0x00, 10}));
    EXPECT_TRUE(startsWith(i[2], {0x14, 0xFF, 0xFF}));
    EXPECT_TRUE(startsWith(i[3], {0x14, 0x00, 0x00})); // the next aligned block wraps to 0
    EXPECT_TRUE(startsWith(i[4], {0x14, 0x10, 0x00}));
    EXPECT_EQ(data[0], 20); // answer byte 5 + offset 15
    EXPECT_EQ(data[1], 5);

    // Negative counts move nothing; INT_MAX pointer bytes are the 120 of the block.
    port.writes.clear();
    for (int address : Limits) {
        for (int slot : {usb, isa}) {
            EXPECT_EQ(_WriteQuarn(slot, data, address, INT_MIN), 0);
            EXPECT_EQ(_ReadQuarn(slot, data, address, INT_MIN), 0);
            EXPECT_EQ(_GetPointers(slot, data, INT_MIN), 0);
        }
    }
    auto pointers = port.writesOf(1); // USB asks for both halves whatever the count
    EXPECT_EQ(pointers.size(), 4u);
    EXPECT_TRUE(port.writesOf(0).empty());
    std::memset(data, 0xEE, sizeof data);
    EXPECT_EQ(_GetPointers(usb, data, INT_MAX), 0);
    EXPECT_EQ(data[119], 59);
    EXPECT_EQ(data[120], 0xEE);
    std::memset(data, 0xEE, sizeof data);
    EXPECT_EQ(_GetPointers(isa, data, INT_MAX), 0);
    EXPECT_EQ(data[119], 5 + 7);
    EXPECT_EQ(data[120], 0xEE);
}
