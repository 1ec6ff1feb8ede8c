#pragma once
// Text views of a card for the emulator program's terminal and for failure messages in tests.

#include "tools/card_emulator/card.h"

#include <string>

namespace gb::emu {

// The card's state: lit Pigeon-hole bits, last QProc calls, counters, faults, and the newest
// `logLines` packets.
std::string renderCardState(const Card& card, const std::string& title, int logLines);

// The faults in force, e.g. "silent, slow ISA (5 reads)", or "none".
std::string describeFaults(const Faults& faults);

} // namespace gb::emu
