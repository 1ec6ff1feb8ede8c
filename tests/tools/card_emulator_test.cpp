// The emulated card on its own: what it decodes from written packets and what it answers.

#include "tools/card_emulator/card.h"
#include "tools/card_emulator/view.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace gb::emu {
namespace {

void send(Card& card, std::initializer_list<std::uint8_t> head) {
    Packet p{};
    std::copy(head.begin(), head.end(), p.begin());
    card.write(p.data(), p.size());
}

Packet answerOf(Card& card) {
    Packet a{};
    EXPECT_TRUE(card.read(a.data()));
    return a;
}

TEST(CardEmulator, BatchSetsPigeonHoleAndLogsQProc) {
    Card card(1);
    send(card, {0x06, 0x00, 0x20, 0x05, 0x10, 0x03, 0x01, 0x02, 0x03, 0x04, 0xFF});
    ASSERT_EQ(card.qprocCount(), 1u);
    EXPECT_EQ(card.recentQProc(0), 5);
    const std::uint8_t* ph = card.pigeonHole(3);
    EXPECT_EQ(ph[0], 1);
    EXPECT_EQ(ph[1], 2);
    EXPECT_EQ(ph[2], 3);
    EXPECT_EQ(ph[3], 4);
    EXPECT_EQ(card.pigeonHoleWrites(3), 1u);
    EXPECT_EQ(card.batchCount(), 1u);
    EXPECT_EQ(card.itemCount(), 2u);
    EXPECT_EQ(card.malformedCount(), 0u);
    // Bytes after the end marker are leftovers of the send buffer, not items.
    send(card, {0x06, 0x00, 0xFF, 0x20, 0x07});
    EXPECT_EQ(card.qprocCount(), 1u);
}

TEST(CardEmulator, BatchItemsOfEveryLength) {
    Card card(2);
    // 0x21 2C = QProc 300; 0x9F FF = QProc 32767; 0x0C with 8 data bytes; 0x08, 0xA1 and an
    // unknown code 0x01 of 2 bytes.
    send(card, {0x06, 0x00, 0x21, 0x2C, 0x9F, 0xFF, 0x0C, 1, 2, 3,    4,    5,    6,    7,
                8,    0x08, 9,    9,    9,    0xA1, 7,    7, 7, 0x01, 0x42, 0x20, 0x01, 0xFF});
    ASSERT_EQ(card.qprocCount(), 3u);
    EXPECT_EQ(card.recentQProc(2), 300);
    EXPECT_EQ(card.recentQProc(1), 32767);
    EXPECT_EQ(card.recentQProc(0), 1);
    ASSERT_EQ(card.itemCount(), 7u);
    const ItemRecord& wide = card.recentItem(4);
    EXPECT_EQ(wide.length, 9);
    EXPECT_EQ(wide.bytes[0], 0x0C);
    EXPECT_EQ(wide.bytes[8], 8);
    EXPECT_EQ(card.recentItem(3).length, 4);
    EXPECT_EQ(card.recentItem(2).length, 4);
    EXPECT_EQ(card.recentItem(1).length, 2);
    EXPECT_EQ(card.recentItem(1).bytes[1], 0x42);
}

TEST(CardEmulator, FullBatchWithoutEndMarkerAndCutItem) {
    Card card(1);
    Packet p{};
    p[0] = 0x06;
    for (int i = 2; i < 64; i += 2) {
        p[i] = 0x20;
        p[i + 1] = static_cast<std::uint8_t>(i);
    }
    card.write(p.data(), p.size());
    EXPECT_EQ(card.qprocCount(), 31u); // a USB packet filled to 64 bytes carries no end marker
    EXPECT_EQ(card.malformedCount(), 0u);

    Packet cut{};
    cut[0] = 0x06;
    cut[60] = 0x10; // a 6-byte item starting at 60 runs past the packet
    for (int i = 2; i < 60; i += 2)
        cut[i] = 0x30;
    card.write(cut.data(), cut.size());
    EXPECT_EQ(card.qprocCount(), 31u + 29u);
    EXPECT_EQ(card.malformedCount(), 1u);
}

TEST(CardEmulator, UsbHandshakeAndAnswerBytes) {
    Card card(3);
    send(card, {0x09, 0x21, 0x00, 0x00});
    send(card, {0x06, 0x09, 0x02, 0xFF});
    Packet none{};
    EXPECT_FALSE(card.read(none.data())); // nothing asked yet: a USB read gets no answer
    send(card, {0x06, 0x0E, 0x00, 0xFF});
    Packet a = answerOf(card);
    EXPECT_EQ(a[0], 0x08);
    EXPECT_EQ(a[1], 0x04);
    EXPECT_EQ(a[2], 0x00);
    EXPECT_TRUE(card.handshakeDone());

    card.setHandshakeByte(0x5A);
    card.faults().wrongCodes = true;
    send(card, {0x06, 0x0E, 0x00, 0xFF});
    a = answerOf(card);
    EXPECT_NE(a[1], 0x04);
    EXPECT_EQ(a[2], 0x5A);
}

TEST(CardEmulator, IsaHandshakeSlowCardAndIdleReads) {
    Card card(0);
    EXPECT_EQ(card.kind(), CardKind::Isa);
    Packet idle = answerOf(card);
    EXPECT_EQ(idle[0] & 0x80, 0); // not ready
    EXPECT_EQ(idle[3], 0xFF);     // output buffer free: the flush's pre-read goes ahead

    card.faults().isaSlowReads = 3;
    send(card, {0x06, 0x0E, 0x00, 0xFF});
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(answerOf(card)[0] & 0x80, 0) << "read " << i;
    Packet a = answerOf(card);
    EXPECT_NE(a[0] & 0x80, 0);
    EXPECT_EQ(a[1], 0x04);
    EXPECT_EQ(a[2], 0x00);

    // The poll answer is not waited for, so it is never delayed.
    send(card, {0x05, 0x80, 0xFF});
    EXPECT_NE(answerOf(card)[0] & 0x80, 0);
}

TEST(CardEmulator, PollAnswerLayoutAndStatusBits) {
    Card usb(1);
    std::uint8_t in[44];
    for (int i = 0; i < 44; ++i)
        in[i] = static_cast<std::uint8_t>(i + 1);
    usb.setInput(0, in, 44);
    send(usb, {0x05, 0x80, 0xFF});
    Packet a = answerOf(usb);
    EXPECT_EQ(a[0], 0x02); // takes output, no events
    EXPECT_EQ(a[1], 1);
    EXPECT_EQ(a[44], 44);
    EXPECT_EQ(a[45], 0);

    const std::uint8_t event[] = {0x20, 0x11};
    ASSERT_TRUE(usb.injectEvent(event, 2));
    usb.faults().refuseOutput = true;
    send(usb, {0x05, 0x80, 0xFF});
    EXPECT_EQ(answerOf(usb)[0], 0x01);

    Card isa(0);
    isa.setInput(0, in, 16);
    send(isa, {0x05, 0x80, 0xFF});
    a = answerOf(isa);
    EXPECT_EQ(a[0], 0x82);
    EXPECT_EQ(a[5], 1);
    EXPECT_EQ(a[20], 16);
    EXPECT_EQ(a[21], 0);
}

TEST(CardEmulator, EventsArePackedInOrderAndEndWithMarker) {
    Card card(1);
    const std::uint8_t wrongLength[] = {0x10, 1, 2};
    EXPECT_FALSE(card.injectEvent(wrongLength, 3));
    const std::uint8_t end[] = {0xFF, 0};
    EXPECT_FALSE(card.injectEvent(end, 2));

    send(card, {0x0D, 0xFF});
    EXPECT_EQ(answerOf(card)[0], 0xFF); // no events

    // Eight 9-byte items: seven fit into 64 bytes, the eighth waits for the next read.
    for (int i = 0; i < 8; ++i) {
        std::uint8_t item[9] = {0x0C, static_cast<std::uint8_t>(i), 0, 0, 0, 0, 0, 0, 0x77};
        ASSERT_TRUE(card.injectEvent(item, 9));
    }
    send(card, {0x0D, 0xFF});
    Packet a = answerOf(card);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(a[i * 9 + 1], i);
    EXPECT_EQ(a[63], 0xFF);
    EXPECT_EQ(card.pendingEvents(), 1u);
    send(card, {0x0D, 0xFF});
    a = answerOf(card);
    EXPECT_EQ(a[0], 0x0C);
    EXPECT_EQ(a[1], 7);
    EXPECT_EQ(a[9], 0xFF);
}

TEST(CardEmulator, CardMemoryAndPointerBlock) {
    Card usb(1);
    // 03 lo hi n data: write; 04 lo hi n: read back (USB).
    send(usb, {0x03, 0xFE, 0xFF, 0x04, 0xA1, 0xA2, 0xA3, 0xA4});
    EXPECT_EQ(usb.memory()[0xFFFF], 0xA2);
    EXPECT_EQ(usb.memory()[0x0001], 0xA4); // the address wraps at 64 KiB
    send(usb, {0x04, 0xFE, 0xFF, 0x04});
    Packet a = answerOf(usb);
    EXPECT_EQ(a[0], 0xA1);
    EXPECT_EQ(a[3], 0xA4);
    EXPECT_EQ(a[4], 0);

    // USB pointer block: 07 and 08 write the two 60-byte halves, 05 01 / 05 02 read them.
    Packet half{};
    half[0] = 0x07;
    for (int i = 1; i <= 60; ++i)
        half[i] = static_cast<std::uint8_t>(i);
    usb.write(half.data(), half.size());
    half[0] = 0x08;
    for (int i = 1; i <= 60; ++i)
        half[i] = static_cast<std::uint8_t>(100 + i);
    usb.write(half.data(), half.size());
    EXPECT_EQ(usb.memory()[0x4100], 1);
    EXPECT_EQ(usb.memory()[0x413C], 101);
    send(usb, {0x05, 0x02, 0x00, 0xFF});
    a = answerOf(usb);
    EXPECT_EQ(a[0], 101);
    EXPECT_EQ(a[59], 160);
    EXPECT_EQ(a[60], 0);

    // ISA: 14 lo hi answers the aligned 16-byte block in bytes 5-20.
    Card isa(0);
    send(isa, {0x03, 0x00, 0x41, 0x3C, 0x11, 0x22, 0x33});
    send(isa, {0x14, 0x02, 0x41});
    a = answerOf(isa);
    EXPECT_NE(a[0] & 0x80, 0);
    EXPECT_EQ(a[5], 0x11);
    EXPECT_EQ(a[7], 0x33);
}

TEST(CardEmulator, IsaExchangesAndWrongCodes) {
    Card isa(0);
    isa.setIdentity(0xA0, 0xA1, 0xA2, 0xA3);
    send(isa, {0x06, 0x04, 0x00});
    Packet a1 = answerOf(isa);
    send(isa, {0x15});
    Packet a2 = answerOf(isa);
    send(isa, {0x15});
    send(isa, {0x06, 0x05, 0x00});
    Packet a3 = answerOf(isa);
    EXPECT_EQ(a1[1], 0xA0);
    EXPECT_EQ(a1[2], 0xA1);
    EXPECT_EQ(a2[1], 0x05);
    EXPECT_EQ(a2[2], 0xA2);
    EXPECT_EQ(a3[1], 0x01);
    EXPECT_EQ(a3[2], 0xA3);

    send(isa, {0x06, 0x01, 0x00});
    Packet b = answerOf(isa);
    EXPECT_EQ(b[1], 0x07);
    EXPECT_EQ(b[2], 0x01);

    isa.faults().wrongCodes = true;
    send(isa, {0x06, 0x01, 0x00});
    EXPECT_NE(answerOf(isa)[1], 0x07);
    send(isa, {0x06, 0x04, 0x00});
    answerOf(isa);
    EXPECT_NE(answerOf(isa)[1], 0x05);
}

TEST(CardEmulator, UsbCommandsAndControlRequests) {
    Card usb(1);
    std::uint8_t in[2] = {0x5A, 0xA5};
    usb.setInput(0, in, 2);
    send(usb, {0x12, 0x01, 0x02, 0x03});
    Packet a = answerOf(usb);
    EXPECT_EQ(a[0], 0x12);
    EXPECT_EQ(a[1], 0x5A);
    send(usb, {0x33, 0x01, 0x02, 0x03});
    a = answerOf(usb);
    EXPECT_EQ(a[0], 0x33);
    EXPECT_EQ(a[3], 0x03);

    EXPECT_TRUE(usb.control(0x22200C));
    EXPECT_TRUE(usb.usbInterruptPolling());
    EXPECT_TRUE(usb.control(0x222010));
    EXPECT_FALSE(usb.usbInterruptPolling());
    EXPECT_FALSE(usb.control(0x123456));
    usb.faults().failControl = true;
    EXPECT_FALSE(usb.control(0x22200C));
}

TEST(CardEmulator, SilentDroppedAndGarbageAnswers) {
    Card usb(1);
    usb.faults().dropAnswers = 1;
    send(usb, {0x05, 0x80, 0xFF});
    Packet a{};
    EXPECT_FALSE(usb.read(a.data()));
    send(usb, {0x05, 0x80, 0xFF});
    EXPECT_TRUE(usb.read(a.data()));

    usb.faults().silent = true;
    send(usb, {0x06, 0x0E, 0x00, 0xFF});
    EXPECT_FALSE(usb.read(a.data()));
    usb.faults().silent = false;

    Card isa(0);
    isa.faults().silent = true;
    send(isa, {0x06, 0x0E, 0x00, 0xFF});
    a = answerOf(isa);
    EXPECT_EQ(a[0] & 0x80, 0);
    EXPECT_EQ(a[3], 0); // a silent card's output buffer is never free

    usb.faults().garbageEvents = true;
    send(usb, {0x05, 0x80, 0xFF});
    EXPECT_EQ(answerOf(usb)[0] & 0x01, 0x01);
    send(usb, {0x0D, 0xFF});
    Packet g1 = answerOf(usb);
    send(usb, {0x0D, 0xFF});
    Packet g2 = answerOf(usb);
    EXPECT_NE(g1, g2);
}

TEST(CardEmulator, ModeAndStartUpPackets) {
    Card card(1);
    send(card, {0x09, 0x21, 0x00, 0x00});
    EXPECT_EQ(card.mode(), -1); // start-up, not a mode
    send(card, {0x09, 0x03, 0x00, 0xFF});
    EXPECT_EQ(card.mode(), 3);
}

TEST(CardScript, ParsesDevicesHexAndNone) {
    Script s;
    std::string error;
    ASSERT_TRUE(parseScript("# handshake\ndev 1\n08 04 00\n0804 5a # packed\nnone\n\ndev 0\n"
                            "88,04,00\n",
                            s, error))
        << error;
    ASSERT_EQ(s.answers[1].size(), 3u);
    EXPECT_EQ(s.answers[1][1].bytes[2], 0x5A);
    EXPECT_EQ(s.answers[1][1].bytes[63], 0);
    EXPECT_TRUE(s.answers[1][2].none);
    ASSERT_EQ(s.answers[0].size(), 1u);
    EXPECT_EQ(s.answers[0][0].bytes[0], 0x88);

    EXPECT_FALSE(parseScript("08 04 00\n", s, error));
    EXPECT_EQ(error, "line 1: answer before the first \"dev <n>\" line");
    EXPECT_FALSE(parseScript("dev 9\n", s, error));
    EXPECT_EQ(error, "line 1: device number must be 0-7");
    EXPECT_FALSE(parseScript("dev 1\n\n0G\n", s, error));
    EXPECT_EQ(error, "line 3: not a hex byte: 0G");
    EXPECT_FALSE(parseScript("dev 1\n080\n", s, error));
    EXPECT_EQ(error, "line 2: odd number of hex digits");
    EXPECT_FALSE(parseScript("dev 1\n" + std::string(130, '0') + "\n", s, error));
    EXPECT_EQ(error, "line 2: more than 64 bytes");
}

TEST(CardScript, ReplacesTheCardsAnswersExactly) {
    Card card(2);
    Script s;
    std::string error;
    ASSERT_TRUE(parseScript("dev 2\n01 02 03\nnone\n", s, error));
    card.setScript(s.answers[2]);
    send(card, {0x05, 0x80, 0xFF}); // the model's own answer is not used
    send(card, {0x06, 0x00, 0x20, 0x09, 0xFF});
    EXPECT_EQ(card.qprocCount(), 1u); // writes are still decoded
    Packet a = answerOf(card);
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(a[2], 3);
    EXPECT_FALSE(card.read(a.data()));
    EXPECT_FALSE(card.read(a.data())); // script ended
    EXPECT_EQ(card.scriptRemaining(), 0u);
}

TEST(CardLog, RecordsEveryPacketAndFormatsIt) {
    PacketLog log(4);
    Card card(1, &log);
    card.opened();
    send(card, {0x06, 0x00, 0x20, 0x05, 0x10, 0x03, 0x01, 0x02, 0x03, 0x04, 0xFF});
    Packet a{};
    card.read(a.data());
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log.at(0).direction, Direction::Open);
    EXPECT_EQ(log.at(1).direction, Direction::Write);
    EXPECT_EQ(log.at(1).length, 64);
    std::string line = formatLogEntry(log.at(1));
    EXPECT_NE(line.find("write USB1 06 00 20 05 10 03 01 02 03 04 FF (00 x53)"), std::string::npos)
        << line;
    EXPECT_NE(formatLogEntry(log.at(2)).find("read  USB1 (no answer)"), std::string::npos);

    for (int i = 0; i < 3; ++i)
        card.closed();
    EXPECT_EQ(log.size(), 4u); // the ring keeps the newest
    EXPECT_EQ(log.total(), 6u);
    EXPECT_EQ(log.at(0).sequence, 3u);

    std::string view = renderCardState(card, "USB1", 2);
    EXPECT_NE(view.find("PH   3  .......1 ......1. ......11 .....1..   (01 02 03 04)"),
              std::string::npos)
        << view;
    EXPECT_NE(view.find("Last QProcs (newest first): 5"), std::string::npos) << view;
}

TEST(CardNames, ObjectNamesMapToDeviceNumbers) {
    EXPECT_EQ(deviceFromObjectName("\\\\.\\QUARNISADevice0"), 0);
    EXPECT_EQ(deviceFromObjectName("\\\\.\\QUARNUSBDevice0"), 1);
    EXPECT_EQ(deviceFromObjectName("QUARNUSBDevice6"), 7);
    EXPECT_EQ(deviceFromObjectName("\\\\.\\QUARNUSBDevice7"), -1);
    EXPECT_EQ(deviceFromObjectName("\\\\.\\QUARNUSBDevice01"), -1);
    EXPECT_EQ(deviceFromObjectName("\\\\.\\QUARNISADevice1"), -1);
    EXPECT_EQ(deviceFromObjectName(nullptr), -1);
    EXPECT_EQ(objectNameOf(0), "QUARNISADevice0");
    EXPECT_EQ(objectNameOf(7), "QUARNUSBDevice6");
}

} // namespace
} // namespace gb::emu
