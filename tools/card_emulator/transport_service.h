#pragma once
// The card's end of the emulator transport (platform/emulator_transport.h): one request of the
// device port's emulator client answered by a card. The emulator program serves its endpoint with
// it; so can any program that keeps a card in its own process.

#include "tools/card_emulator/card.h"

#include <cstddef>
#include <cstdint>

namespace gb::emu {

// Answers `request` (`length` bytes) with `card` and writes the reply into `reply`, which holds
// gb::platform::emulator::MaxMessage bytes; returns the reply's length. An open names the card's
// own device object or is refused; a request the card cannot take gets the one-byte failure
// reply.
std::size_t serveRequest(Card& card, const std::uint8_t* request, std::size_t length,
                         std::uint8_t* reply);

} // namespace gb::emu
