#pragma once
// Names for what the card receives, taken from a Glowbridge definition file: which element a QProc
// call or a Pigeon-hole bit stands for, and which element value an analog byte carries. The
// emulator program shows them beside its packet lines and in its view.

#include "cockpit/definition_list.h"
#include "cockpit/element_table.h"
#include "tools/card_emulator/view.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gb::emu {

// The element value that the transfer cycle turns into exactly `byte`, taking the byte as the
// whole scaled result (0-255, as a gauge byte is meant to be used): the cycle forms
// trunc(value * multi) for a float element, value * trunc(multi) for an integer element, adds
// `offset`, and sends the low 8 bits. Gives true and the value only when it is exact and the only
// one: multi finite and non-zero (an integer element's multi truncated within the 32-bit range),
// the scaled value byte - offset within 32 bits, an integer element's product landing exactly on
// it, a float element's value a float whose product with multi is exactly it. Digit elements and
// anything else give false: only the byte is known then.
bool elementValueOfByte(ElementKind kind, double multi, std::int32_t offset, std::uint8_t byte,
                        double& value);

// The labels of one definition file's bindings. Copies what it needs; the list may go.
class DefinitionLabels : public CardLabels {
public:
    explicit DefinitionLabels(const DefinitionList& list);

    // "MasterCaution ON (QProc 7)": every QP flag whose QP(On)# or QP(Off)# is `number`; an
    // inverted flag's element is off when its QP(On)# is called, and says so.
    std::string qproc(int number) const override;
    // "TFFail on, Hook off, KIAS 250 (byte 125)": the bits of the PH flags bound to Pigeon-hole
    // `ph` (on when all their bits are set, off when none is, else mixed) and its analog bytes.
    std::string pigeonHole(int ph, const std::uint8_t* bytes) const override;
    bool binds(int ph) const override;
    // The labels of a batch packet's items, "; " between them; "" for any other packet or when no
    // item is bound.
    std::string packet(const LogEntry& entry) const override;

    std::size_t size() const { return bindings_.size(); }

private:
    struct Binding {
        std::string name;
        DefinitionForm form;
        bool invert;
        int qpOn, qpOff;
        int ph, byte;
        std::uint8_t mask; // the bits a PH flag can change: the low 8 of its bit mask
        ElementKind kind;
        double multi;
        std::int32_t offset;
    };
    std::vector<Binding> bindings_;
};

} // namespace gb::emu
