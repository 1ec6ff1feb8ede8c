#pragma once
// Text views of a card for the emulator program's terminal and for failure messages in tests.

#include "tools/card_emulator/card.h"

#include <string>

namespace gb::emu {

// Names for what the card holds and receives (the emulator program's come from a definition
// file); every text is "" where nothing is bound.
class CardLabels {
public:
    virtual ~CardLabels() = default;
    virtual std::string qproc(int number) const = 0;
    virtual std::string pigeonHole(int ph, const std::uint8_t* bytes) const = 0;
    // Whether anything is bound to Pigeon-hole `ph`.
    virtual bool binds(int ph) const = 0;
    virtual std::string packet(const LogEntry& entry) const = 0;
};

// formatLogEntry, followed by "  | " and the packet's labels when it has any.
std::string labelledLogEntry(const LogEntry& entry, const CardLabels* labels);

// The card's state: lit Pigeon-hole bits, last QProc calls, counters, faults, and the newest
// `logLines` packets. With `labels`, Pigeon-holes, QProcs and packets carry their names, and a
// bound Pigeon-hole that was written shows even when it is dark.
std::string renderCardState(const Card& card, const std::string& title, int logLines,
                            const CardLabels* labels = nullptr);

// The faults in force, e.g. "silent, slow ISA (5 reads)", or "none".
std::string describeFaults(const Faults& faults);

} // namespace gb::emu
