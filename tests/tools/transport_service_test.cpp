// The card's end of the emulator transport: each request of the client answered as the device
// port's emulator backend expects, malformed requests refused with the one-byte failure reply.

#include "platform/emulator_transport.h"
#include "tools/card_emulator/transport_service.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace gb::emu {
namespace {

using gb::platform::emulator::getU32;
using gb::platform::emulator::MaxMessage;
using gb::platform::emulator::putU32;

struct Reply {
    std::size_t length = 0;
    std::uint8_t bytes[MaxMessage] = {};
};

Reply serve(Card& card, const std::vector<std::uint8_t>& request) {
    Reply r;
    std::memset(r.bytes, 0xEE, sizeof r.bytes);
    r.length = serveRequest(card, request.data(), request.size(), r.bytes);
    return r;
}

std::vector<std::uint8_t> openRequest(const std::string& name, bool terminated = true) {
    std::vector<std::uint8_t> m(1 + name.size() + (terminated ? 1 : 0), 0);
    m[0] = 'O';
    std::memcpy(&m[1], name.data(), name.size());
    return m;
}

TEST(TransportService, OpenAcceptsOnlyTheCardsOwnObject) {
    Card card(1);
    Reply other = serve(card, openRequest("QUARNUSBDevice1"));
    EXPECT_EQ(other.length, 1u);
    EXPECT_EQ(other.bytes[0], 0);
    EXPECT_FALSE(card.handshakeDone());
    Reply isa = serve(card, openRequest("QUARNISADevice0"));
    EXPECT_EQ(isa.bytes[0], 0);
    // The name ends at its terminator or at the end of the request; "\\.\" may lead.
    Reply own = serve(card, openRequest("\\\\.\\QUARNUSBDevice0", false));
    EXPECT_EQ(own.length, 1u);
    EXPECT_EQ(own.bytes[0], 1);
    Reply trailing = serve(card, {'O', 'Q', 'U', 'A', 'R', 'N', 'U', 'S', 'B', 'D', 'e', 'v', 'i',
                                  'c', 'e', '0', 0, 'x'});
    EXPECT_EQ(trailing.bytes[0], 1);
}

TEST(TransportService, WriteReachesTheCardAndReadAnswersUpToOnePacket) {
    Card card(1);
    serve(card, openRequest("QUARNUSBDevice0"));
    Reply written =
        serve(card, {'W', 0x06, 0x00, 0x20, 0x05, 0x10, 0x03, 0x01, 0x02, 0x03, 0x04, 0xFF});
    ASSERT_EQ(written.length, 5u);
    EXPECT_EQ(written.bytes[0], 1);
    EXPECT_EQ(getU32(&written.bytes[1]), 11u);
    ASSERT_EQ(card.qprocCount(), 1u);
    EXPECT_EQ(card.recentQProc(0), 5);
    EXPECT_EQ(card.pigeonHole(3)[3], 4);

    // Poll requests, then reads: a length past one packet gets the packet, a shorter one that
    // many bytes.
    serve(card, {'W', 0x05, 0x80});
    std::vector<std::uint8_t> read{'R', 0, 0, 0, 0};
    putU32(&read[1], 0xFFFFFFFFu);
    Reply whole = serve(card, read);
    EXPECT_EQ(whole.length, 1u + PacketSize);
    EXPECT_EQ(whole.bytes[0], 1);
    serve(card, {'W', 0x05, 0x80});
    putU32(&read[1], 3);
    Reply part = serve(card, read);
    EXPECT_EQ(part.length, 4u);
    EXPECT_EQ(part.bytes[4], 0xEE);
}

TEST(TransportService, MalformedRequestsGetTheFailureReply) {
    Card card(1);
    for (const std::vector<std::uint8_t>& request : std::vector<std::vector<std::uint8_t>>{
             {},                                     // empty
             {'R', 64, 0, 0},                        // read without its whole length
             {'C', 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, // control without its out length
             {'X', 1, 2, 3},                         // unknown request
         }) {
        Reply r = serve(card, request);
        EXPECT_EQ(r.length, 1u) << request.size();
        EXPECT_EQ(r.bytes[0], 0) << request.size();
    }
    // A read with nothing to answer fails the same way.
    Reply nothing = serve(card, {'R', 64, 0, 0, 0});
    EXPECT_EQ(nothing.length, 1u);
    EXPECT_EQ(nothing.bytes[0], 0);
    EXPECT_EQ(card.malformedCount(), 0u);
}

TEST(TransportService, ControlReportsTheCardsVerdict) {
    Card card(1);
    std::vector<std::uint8_t> control(13, 0);
    control[0] = 'C';
    putU32(&control[1], 0x22200C);
    Reply accepted = serve(card, control);
    ASSERT_EQ(accepted.length, 5u);
    EXPECT_EQ(accepted.bytes[0], 1);
    EXPECT_EQ(getU32(&accepted.bytes[1]), 0u);
    card.faults().failControl = true;
    Reply refused = serve(card, control);
    EXPECT_EQ(refused.bytes[0], 0);
}

} // namespace
} // namespace gb::emu
