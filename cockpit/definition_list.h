#pragma once
// The user's bindings of cockpit elements to card outputs: one Definition per accepted line of the
// definition file, held by the main frame for the whole run, and the value text the list dialogs
// write back for a Definition.

#include "platform/message_box.h"

#include <cstdint>
#include <string>

namespace gb {

enum : std::int32_t {
    DefinitionFlag = 0,
    DefinitionAnalog = 1,
};

struct Definition {
    std::uint8_t reserved = 0;
    // The transfer cycle logs this definition's changes even when debug mode is off.
    std::uint8_t trace = 0;
    // The transfer cycle sends the opposite of the element's state (flags only).
    std::uint8_t invert = 0;
    std::int32_t kind = DefinitionFlag;
    std::int32_t elementIndex = 0;
    // Both point into the constant catalogue; never freed.
    const char* groupName = "";
    const char* elementName = "";
    std::int16_t qpOn = -1;
    std::int16_t qpOff = -1;
    std::int16_t phNumber = -1;
    std::int16_t phByte = -1;
    std::uint32_t bitMask = 0;
    double multi = 1.0;
    std::int32_t offset = 0;
    // Owned by the transfer cycle: what it sent last.
    std::uint32_t lastValue = 0;
    // The section and key that find this definition's line when the definition file is written
    // back, spelled as the file has them: the header's text between "[" and "]", and the line's
    // text up to "=" (or a control character) with any indentation, trace marker and blanks, in
    // the file's letter case. The loader fills them; both empty means the catalogue's spelling
    // (a definition added while the program runs, or a line the writer cannot address).
    char fileSection[64] = {};
    char fileKey[64] = {};
};

// Where the definition file's writer finds d: its file spelling, else the catalogue's.
const char* writeSectionOf(const Definition& d);
const char* writeKeyOf(const Definition& d);

// The binding form is derived, in the order the transfer cycle tests it.
enum class DefinitionForm {
    QpFlag,
    PhFlag,
    AnalogValue,
    None, // a flag with neither a QP# nor a PH#: nothing to send
};

DefinitionForm formOf(const Definition& d);

class DefinitionList {
public:
    static constexpr int kCapacity = 1000;

    DefinitionList() = default;
    // Frees the records from the last to the first.
    ~DefinitionList();
    DefinitionList(const DefinitionList&) = delete;
    DefinitionList& operator=(const DefinitionList&) = delete;

    // Appends a copy of d; the new record's position, or -1 (list full) or -2 (no memory) after
    // showing the message. Does not touch phLow, phHigh or the catalogue's `seen`.
    int addDefinition(const Definition& d, platform::WindowHandle owner = nullptr);

    // Frees the record at `pos` and moves the later ones down; false when out of range.
    bool removeDefinition(int pos);

    Definition* at(int pos) const { return pos >= 0 && pos < count ? items[pos] : nullptr; }

    std::int32_t count = 0;
    Definition* items[kCapacity] = {};
    // The lowest and highest Pigeon-hole the file's definitions use; the cycle sends only these.
    std::int32_t phLow = 9999;
    std::int32_t phHigh = -1;
};

// The value the list dialogs write after "=" for d, in the form the loader reads back to the same
// binding: QP flag "%d,%d", PH flag "%d,%d,0b%s" (the low 8 bits, the only ones a Pigeon-hole
// byte takes), analog value "%d,%d,%f,%d" with '.' as the decimal point. An inverted flag is
// preceded by "c," so the inversion survives the next start, and a multiplier that six decimals
// would change (1e-07) is written in its shortest exact form. "" for a definition with no form.
std::string definitionValue(const Definition& d);

// What a deleted definition's line is set to: the key stays with nothing after "=", and the
// loader ignores the line.
inline constexpr const char kDeletedDefinitionValue[] = "";

} // namespace gb
