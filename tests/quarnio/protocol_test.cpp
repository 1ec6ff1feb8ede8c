#include "fake_port.h"

using gb::test::bytes;
using gb::test::Bytes;
using gb::test::QuarnioTest;
using gb::test::startsWith;

namespace {

int freeEntries() {
    int n = 0;
    for (std::uint8_t i = quarnio::lib.freeHead; i != quarnio::PoolEnd;
         i = quarnio::lib.pool[i].link)
        ++n;
    return n;
}

} // namespace

TEST_F(QuarnioTest, FlushSendsQueuedItemsInOneBatch) {
    int slot = openCard(1);
    EXPECT_EQ(_SendQP(slot, 5), 0);
    EXPECT_EQ(_SendPH(slot, 3, 1, 2, 3, 4), 0);
    EXPECT_TRUE(port.writes.empty()); // queuing does not talk to the card
    answerPoll(1, 0x02);
    EXPECT_EQ(_GetData(slot), 0);
    auto sent = port.writesOf(1);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], bytes({0x05, 0x80, 0xFF}));
    EXPECT_EQ(sent[1], bytes({0x06, 0x00, 0x20, 0x05, 0x10, 0x03, 0x01, 0x02, 0x03, 0x04, 0xFF}));
}

TEST_F(QuarnioTest, ItemEncodings) {
    int slot = openCard(2);
    _SendQP(slot, 300);
    _SendQP(slot, 32767);
    _SendQP(slot, 32768); // no item code of its own: not sent
    _SendQP(slot, -1);
    _SendPHint(slot, 7, 0x1234, 0xABCD);
    _SendPH(slot, 0x1FF, -1, 0x100, 0x7F, 0x80);
    answerPoll(2, 0x02);
    _GetData(slot);
    auto sent = port.writesOf(2);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1], bytes({0x06, 0x00, 0x21, 0x2C, 0x9F, 0xFF, 0x10, 0x07, 0x34, 0x12, 0xCD,
                              0xAB, 0x10, 0xFF, 0xFF, 0x00, 0x7F, 0x80, 0xFF}));
}

TEST_F(QuarnioTest, ItemThatDoesNotFitGoesOutAfterLaterOnes) {
    int slot = openCard(1);
    for (int i = 0; i < 29; ++i)
        _SendQP(slot, i);
    _SendPH(slot, 9, 1, 1, 1, 1);
    _SendQP(slot, 100);
    _SendQP(slot, 101);
    answerPoll(1, 0x02);
    answerPoll(1, 0x02);
    _GetData(slot);
    _GetData(slot);
    auto sent = port.writesOf(1);
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[1][58], 0x20);
    EXPECT_EQ(sent[1][59], 28);
    EXPECT_EQ(sent[1][60], 0xFF);
    EXPECT_EQ(sent[3][2], 0x20);
    EXPECT_EQ(sent[3][3], 100);
    EXPECT_EQ(sent[3][5], 101);
    EXPECT_EQ(sent[3][6], 0x10);
    EXPECT_EQ(sent[3][7], 9);
    EXPECT_EQ(sent[3][12], 0xFF);
}

TEST_F(QuarnioTest, UsbBatchFillsAllSixtyFourBytes) {
    int slot = openCard(1);
    for (int i = 0; i < 40; ++i)
        _SendQP(slot, i);
    answerPoll(1, 0x02);
    _GetData(slot);
    auto sent = port.writesOf(1);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1][62], 0x20);
    EXPECT_EQ(sent[1][63], 30); // 31 items; the end marker lies past the 64 bytes sent
    EXPECT_EQ(quarnio::lib.sendBuffers[1][64], 0xFF);
    EXPECT_EQ((quarnio::lib.outputQueue.write - quarnio::lib.outputQueue.read + 64) % 64, 9);
}

TEST_F(QuarnioTest, IsaBatchIsLimitedToThirtyTwoBytesAndNeedsTheCardsConsent) {
    int slot = openCard(0);
    for (int i = 0; i < 20; ++i)
        _SendQP(slot, i);

    answerPoll(0, 0x02);
    port.answer(0, bytes({0, 0, 0, 0x00})); // pre-read: the card cannot take a packet
    _GetData(slot);
    EXPECT_EQ(port.writesOf(0).size(), 1u); // the poll only
    EXPECT_EQ(freeEntries(), 128 - 20);

    port.writes.clear();
    answerPoll(0, 0x02);
    port.answer(0, bytes({0, 0, 0, 0xFF}));
    _GetData(slot);
    auto sent = port.writesOf(0);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1][30], 0x20);
    EXPECT_EQ(sent[1][31], 14); // 15 items
    EXPECT_EQ(sent[1][32], 0xFF);
    EXPECT_EQ(freeEntries(), 128 - 5);
}

// A pre-read that fails is no consent, even when the last packet read said "ready".
TEST_F(QuarnioTest, IsaBatchWaitsWhenThePreReadFails) {
    int slot = openCard(0);
    _SendQP(slot, 1);
    answerPoll(0, 0x02);
    port.answer(0, bytes({0, 0, 0, 0xFF}));
    _GetData(slot);
    ASSERT_EQ(port.writesOf(0).size(), 2u);

    _SendQP(slot, 2);
    port.writes.clear();
    answerPoll(0, 0x02);
    port.failRead(0);
    _GetData(slot);
    EXPECT_EQ(port.writesOf(0).size(), 1u); // the poll only
    EXPECT_EQ(freeEntries(), 128 - 1);

    answerPoll(0, 0x02);
    port.answer(0, bytes({0, 0, 0, 0xFF}));
    _GetData(slot);
    auto sent = port.writesOf(0);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_TRUE(startsWith(sent[2], {0x06, 0x00, 0x20, 0x02, 0xFF}));
}

TEST_F(QuarnioTest, FullQueueDropsItemsAndGivesTheirEntriesBack) {
    int slot = openCard(1);
    for (int i = 0; i < 63; ++i)
        EXPECT_EQ(_SendQP(slot, i), 0);
    EXPECT_EQ(_SendQP(slot, 200), 0);
    EXPECT_EQ(freeEntries(), 128 - 63);

    answerPoll(1, 0x02);
    _GetData(slot); // 31 items out
    EXPECT_EQ(_SendQP(slot, 201), 0);
    answerPoll(1, 0x02);
    answerPoll(1, 0x02);
    _GetData(slot);
    _GetData(slot);
    auto sent = port.writesOf(1);
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_TRUE(startsWith(sent[5], {0x06, 0x00, 0x20, 62, 0x20, 201, 0xFF}));
    EXPECT_EQ(freeEntries(), 128);
}

TEST_F(QuarnioTest, BusyDeviceRefusesEveryOperation) {
    int slot = openCard(1);
    std::uint8_t buffer[128] = {};
    busy(1) = 1;
    EXPECT_EQ(_SendQP(slot, 1), -7);
    EXPECT_EQ(_SendPH(slot, 1, 1, 1, 1, 1), -7);
    EXPECT_EQ(_SendPHint(slot, 1, 1, 1), -7);
    EXPECT_EQ(_InitQUARN(slot, 1), -7);
    EXPECT_EQ(_SendCommand(slot, 1, 1, 1, 1, buffer, 4), -7);
    EXPECT_EQ(_GetCurrentButtonStates(slot, 1, 1, 1, buffer), -7);
    EXPECT_EQ(_ReadQuarn(slot, buffer, 0, 4), -7);
    EXPECT_EQ(_WriteQuarn(slot, buffer, 0, 4), -7);
    EXPECT_EQ(_GetPointers(slot, buffer, 120), -7);
    EXPECT_EQ(_WritePointers(slot, buffer), -7);
    EXPECT_EQ(_GetAnalogs(slot, buffer), -7);
    EXPECT_EQ(_GetEvent(slot, buffer), -7);
    EXPECT_EQ(_GetData(slot), 0); // the poll is skipped
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(freeEntries(), 128);

    // Every operation releases the device again on its way out.
    busy(1) = 0;
    port.answer(1, bytes({0x11}));
    EXPECT_EQ(_SendCommand(slot, 1, 1, 1, 1, buffer, 4), 0);
    EXPECT_EQ(busy(1), 0u);
    EXPECT_EQ(_SendQP(slot, 1), 0);
    EXPECT_EQ(busy(1), 0u);
}

TEST_F(QuarnioTest, MissingBuffersAreRefusedWithoutTakingTheDevice) {
    int usb = openCard(1);
    int isa = openCard(0);
    for (int device : {0, 1}) {
        int slot = device == 0 ? isa : usb;
        for (std::uint32_t held : {0u, 1u}) {
            busy(device) = held;
            EXPECT_EQ(_BlindSend(slot, nullptr, 0), -1);
            EXPECT_EQ(_SendCommand(slot, 5, 0, 0, 0, nullptr, 4), -1);
            EXPECT_EQ(_GetCurrentButtonStates(slot, 0, 0, 0, nullptr), -1);
            EXPECT_EQ(_ReadQuarn(slot, nullptr, 0, 1), -1);
            EXPECT_EQ(_WriteQuarn(slot, nullptr, 0, 1), -1);
            EXPECT_EQ(_GetPointers(slot, nullptr, 1), -1);
            EXPECT_EQ(_WritePointers(slot, nullptr), -1);
            EXPECT_EQ(_GetAnalogs(slot, nullptr), -1);
            EXPECT_EQ(_GetEvent(slot, nullptr), -1);
            EXPECT_EQ(busy(device), held);
        }
        busy(device) = 0;
    }
    // ISA exchanges 0x08 and 0x10 fill the reply whatever length is given.
    EXPECT_EQ(_SendCommand(isa, 5, 0x08, 0, 0, nullptr, 0), -1);
    EXPECT_EQ(_SendCommand(isa, 5, 0x10, 0, 0, nullptr, 0), -1);
    EXPECT_TRUE(port.writes.empty());
    // Nothing to move: a null buffer is fine.
    EXPECT_EQ(_ReadQuarn(usb, nullptr, 0, 0), 0);
    EXPECT_EQ(_WriteQuarn(usb, nullptr, 0, -5), 0);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(QuarnioTest, UsbCommandCopiesAtMostSixtyFourReplyBytes) {
    int slot = openCard(1);
    Bytes answer{};
    for (int i = 0; i < 64; ++i)
        answer[i] = static_cast<std::uint8_t>(i + 1);
    port.answer(1, answer);
    std::uint8_t reply[128];
    std::memset(reply, 0xEE, sizeof reply);
    EXPECT_EQ(_SendCommand(slot, 0x1A, 0x2B, 0x13C, 0x4D, reply, 100), 0);
    EXPECT_EQ(port.writesOf(1)[0], bytes({0x1A, 0x2B, 0x3C, 0x4D}));
    EXPECT_EQ(std::memcmp(reply, answer.data(), 64), 0);
    EXPECT_EQ(reply[64], 0xEE);

    port.answer(1, answer);
    std::memset(reply, 0xEE, sizeof reply);
    EXPECT_EQ(_GetCurrentButtonStates(slot, 3, 4, 5, reply), 0);
    EXPECT_EQ(port.writesOf(1)[1], bytes({0x12, 0x03, 0x04, 0x05}));
    EXPECT_EQ(reply[63], 64);
    EXPECT_EQ(reply[64], 0xEE);
}

TEST_F(QuarnioTest, IsaCommandsOtherThanFiveSendNothing) {
    int slot = openCard(0);
    std::uint8_t reply[64] = {};
    EXPECT_EQ(_SendCommand(slot, 0x06, 0x04, 0, 0, reply, 8), 0);
    EXPECT_EQ(_GetCurrentButtonStates(slot, 1, 2, 3, reply), 0);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(QuarnioTest, IsaSubCommandFourSpreadsTheAnswer) {
    int slot = openCard(0);
    Bytes answer{};
    for (int i = 0; i < 64; ++i)
        answer[i] = static_cast<std::uint8_t>(0xA0 + i);
    port.answer(0, answer);
    std::uint8_t reply[128];
    std::memset(reply, 0xEE, sizeof reply);
    EXPECT_EQ(_SendCommand(slot, 5, 4, 0x11, 0x22, reply, 11), 0);
    EXPECT_EQ(port.writesOf(0)[0], bytes({0x05, 0x04, 0x11, 0x22}));
    const std::uint8_t expected[12] = {0xA5, 0, 0xA6, 0, 0xA7, 0, 0, 0, 0, 0, 0, 0xEE};
    EXPECT_EQ(std::memcmp(reply, expected, sizeof expected), 0);

    port.answer(0, answer);
    std::memset(reply, 0xEE, sizeof reply);
    EXPECT_EQ(_SendCommand(slot, 5, 4, 0, 0, reply, 1000), 0); // clamped to 64
    EXPECT_EQ(reply[56], 0xA5 + 28);
    EXPECT_EQ(reply[63], 0);
    EXPECT_EQ(reply[64], 0xEE);
}

TEST_F(QuarnioTest, IsaSubCommandEightRunsThreeAcknowledgedSteps) {
    int slot = openCard(0);
    port.answer(0, bytes({0x00}));
    port.answer(0, bytes({0x80, 0x51, 0x31}));
    port.answer(0, bytes({0x80, 0x05, 0x02}));
    port.answer(0, bytes({0x80, 0x01, 0x07}));
    std::uint8_t reply[4] = {};
    EXPECT_EQ(_SendCommand(slot, 5, 8, 0, 0, reply, 4), 0);
    const std::uint8_t expected[4] = {0x51, 0x31, 0x02, 0x07};
    EXPECT_EQ(std::memcmp(reply, expected, 4), 0);
    auto sent = port.writesOf(0);
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[0][0], 0x06);
    EXPECT_EQ(sent[0][1], 0x04);
    EXPECT_EQ(sent[1][0], 0x15);
    EXPECT_EQ(sent[2][0], 0x15);
    EXPECT_EQ(sent[3][0], 0x06);
    EXPECT_EQ(sent[3][1], 0x05);
    EXPECT_EQ(sent[4][0], 0x15);
}

TEST_F(QuarnioTest, IsaExchangeWithAMissingAnswerGoesOn) {
    int slot = openCard(0);
    // Answer 1 never comes: 1000 reads fail, and later bytes fill the reply from byte 0.
    for (int i = 0; i < 1000; ++i)
        port.failRead(0);
    port.answer(0, bytes({0x80, 0x05, 0x02}));
    port.answer(0, bytes({0x80, 0x01, 0x07}));
    std::uint8_t reply[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(_SendCommand(slot, 5, 8, 0, 0, reply, 4), 0);
    EXPECT_EQ(reply[0], 0x02);
    EXPECT_EQ(reply[1], 0x07);
    EXPECT_EQ(reply[2], 0xEE);
    EXPECT_EQ(port.reads[0], 1 + 1000 + 2);

    // No answer at all: the call still ends with 0 and no acknowledgement.
    port.writes.clear();
    EXPECT_EQ(_SendCommand(slot, 5, 0x10, 1, 2, reply, 3), 0);
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0].data[0], 0x06);
}

TEST_F(QuarnioTest, IsaWrongAnswerCodesFailAndReleaseTheDevice) {
    int slot = openCard(0);
    std::uint8_t reply[4] = {};
    port.answer(0, bytes({0x80, 0x51, 0x31}));
    port.answer(0, bytes({0x80, 0x06, 0x02}));
    EXPECT_EQ(_SendCommand(slot, 5, 8, 0, 0, reply, 4), -1);
    EXPECT_EQ(busy(0), 0u);

    port.answer(0, bytes({0x80, 0x08, 0x01}));
    EXPECT_EQ(_SendCommand(slot, 5, 0x10, 1, 2, reply, 3), -1);
    EXPECT_EQ(busy(0), 0u);

    port.answer(0, bytes({0x80, 0x07, 0x01}));
    EXPECT_EQ(_SendCommand(slot, 5, 0x10, 0x1AA, 0xBB, reply, 3), 0);
    const std::uint8_t lit[3] = {0x07, 0xAA, 0xBB};
    EXPECT_EQ(std::memcmp(reply, lit, 3), 0);
    port.answer(0, bytes({0x80, 0x07, 0x00}));
    EXPECT_EQ(_SendCommand(slot, 5, 0x10, 1, 2, reply, 3), 0);
    EXPECT_EQ(reply[0], 0);
    EXPECT_EQ(reply[1], 0);
}

TEST_F(QuarnioTest, CardMemoryGoesInChunksOfSixty) {
    int slot = openCard(1);
    std::uint8_t data[130];
    for (int i = 0; i < 130; ++i)
        data[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(_WriteQuarn(slot, data, 0xFFF0, 130), 0);
    auto sent = port.writesOf(1);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0][0], 0x03);
    EXPECT_EQ(sent[0][1], 0xF0);
    EXPECT_EQ(sent[0][2], 0xFF);
    EXPECT_EQ(sent[0][3], 60);
    EXPECT_EQ(sent[0][63], 59);
    EXPECT_EQ(sent[1][1], 0x2C); // 0xFFF0 + 60 wraps to 0x002C
    EXPECT_EQ(sent[1][2], 0x00);
    EXPECT_EQ(sent[2][3], 10);
    EXPECT_EQ(sent[2][13], 129);

    port.writes.clear();
    Bytes chunk{};
    for (int i = 0; i < 64; ++i)
        chunk[i] = static_cast<std::uint8_t>(0x40 + i);
    port.answer(1, chunk);
    port.answer(1, chunk);
    std::uint8_t out[80] = {};
    EXPECT_EQ(_ReadQuarn(slot, out, 0x1234, 70), 0);
    sent = port.writesOf(1);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_TRUE(startsWith(sent[0], {0x04, 0x34, 0x12, 60}));
    EXPECT_TRUE(startsWith(sent[1], {0x04, 0x70, 0x12, 10}));
    EXPECT_EQ(out[59], 0x40 + 59);
    EXPECT_EQ(out[60], 0x40);
    EXPECT_EQ(out[69], 0x49);
    EXPECT_EQ(out[70], 0);
}

TEST_F(QuarnioTest, IsaMemoryReadsAlignedBlocks) {
    int slot = openCard(0);
    Bytes block{};
    for (int i = 0; i < 16; ++i)
        block[5 + i] = static_cast<std::uint8_t>(0x30 + i);
    port.answer(0, block);
    port.answer(0, block);
    std::uint8_t out[32];
    std::memset(out, 0xEE, sizeof out);
    EXPECT_EQ(_ReadQuarn(slot, out, 0x1234, 20), 0);
    auto sent = port.writesOf(0);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_TRUE(startsWith(sent[0], {0x14, 0x34, 0x12}));
    EXPECT_TRUE(startsWith(sent[1], {0x14, 0x40, 0x12}));
    EXPECT_EQ(out[0], 0x34);
    EXPECT_EQ(out[11], 0x3F);
    EXPECT_EQ(out[12], 0x30);
    EXPECT_EQ(out[19], 0x37);
    EXPECT_EQ(out[20], 0xEE);
}

TEST_F(QuarnioTest, PointerBlockReadStaysInsideTheBlockAndTheBuffer) {
    int slot = openCard(1);
    Bytes first{}, second{};
    first.fill(0x11);
    second.fill(0x22);
    std::uint8_t out[200];
    for (int count : {120, 200, 90, 30}) {
        port.answer(1, first);
        port.answer(1, second);
        std::memset(out, 0xEE, sizeof out);
        EXPECT_EQ(_GetPointers(slot, out, count), 0);
        int kept = count > 120 ? 120 : count;
        for (int i = 0; i < 200; ++i) {
            std::uint8_t want = i >= kept ? 0xEE : i < 60 ? 0x11 : 0x22;
            ASSERT_EQ(out[i], want) << "count " << count << " byte " << i;
        }
    }
    auto sent = port.writesOf(1);
    ASSERT_EQ(sent.size(), 8u);
    EXPECT_EQ(sent[0], bytes({0x05, 0x01, 0x00, 0xFF}));
    EXPECT_EQ(sent[1], bytes({0x05, 0x02, 0x00, 0xFF}));
}

TEST_F(QuarnioTest, PointerBlockWrites) {
    int usb = openCard(1);
    int isa = openCard(0);
    std::uint8_t block[120];
    for (int i = 0; i < 120; ++i)
        block[i] = static_cast<std::uint8_t>(i + 1);
    EXPECT_EQ(_WritePointers(usb, block), 0);
    EXPECT_EQ(_WritePointers(isa, block), 0);
    auto u = port.writesOf(1);
    ASSERT_EQ(u.size(), 2u);
    EXPECT_EQ(u[0][0], 0x07);
    EXPECT_EQ(u[0][1], 1);
    EXPECT_EQ(u[0][60], 60);
    EXPECT_EQ(u[1][0], 0x08);
    EXPECT_EQ(u[1][1], 61);
    EXPECT_EQ(u[1][60], 120);
    auto i = port.writesOf(0);
    ASSERT_EQ(i.size(), 1u);
    EXPECT_EQ(i[0][0], 0x03);
    EXPECT_EQ(i[0][1], 0x00);
    EXPECT_EQ(i[0][2], 0x41);
    EXPECT_EQ(i[0][3], 0x3C);
    EXPECT_EQ(i[0][63], 60);
}

TEST_F(QuarnioTest, InitQuarnSendsTheModePacket) {
    int slot = openCard(1);
    EXPECT_EQ(_InitQUARN(slot, 0x133), 0);
    EXPECT_EQ(port.writesOf(1)[0], bytes({0x09, 0x33, 0x00, 0xFF}));
}
