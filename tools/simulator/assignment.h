#pragma once
// What the stand-in simulator writes: assignments like "Caution Lights/MasterCaution=on",
// "Primary Data/KIAS=250" or, by raw offset, "@0x6C:u32=0x1", resolved against one block layout.
// In flight scripts a value may ramp: "Primary Data/KIAS=0..350".

#include "tools/simulator/block_image.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace gb::sim {

enum class WriteKind {
    SetBits,   // OR `mask` into the 32-bit word at `offset`
    ClearBits, // clear `mask` in the 32-bit word at `offset`
    Float32,
    Int32,
    Uint32,
    Uint16,
    Uint8,
    SpeedLightOff, // selector in `mask`: when that speed light is lit, move KIAS into the gap
    GearHandleOff, // layout 100: a gear in transit is put up
};

struct Assignment {
    WriteKind kind = WriteKind::Float32;
    std::uint32_t offset = 0;
    std::uint32_t mask = 0;
    double from = 0.0; // the value; where a ramp starts
    double to = 0.0;   // where a ramp ends; equals `from` without a ramp
    bool ramp = false;
    std::string label;     // "Primary Data/KIAS" or "@0x6C:u32", for progress lines
    std::string valueText; // as written, e.g. "on" or "0..350"
};

enum class ParseStatus {
    Ok,
    Syntax, // not "name=value"
    UnknownGroup,
    UnknownElement,
    BadValue,     // a value the element or type does not take
    NotInLayout,  // a real element that the chosen layout does not carry
    NotSettable,  // absent elements and the digit elements (set their source instead)
    OutsideBlock, // raw offset past the block's end
};

struct ParseResult {
    ParseStatus status = ParseStatus::Ok;
    std::string message; // empty when Ok
    Assignment assignment;
};

// Resolves one assignment for a block of `layout`. Ramps are accepted only with `allowRamp`.
ParseResult parseAssignment(std::string_view text, std::int32_t layout, bool allowRamp);

// Writes the assignment into the block; for a ramp, the value at `fraction` (0..1) of the way.
void applyAssignment(const Assignment& assignment, BlockImage& block, double fraction = 1.0);

// KIAS values the speed-light assignments write: one inside each light's band, and one in the
// band where no speed light is lit.
float speedLightKias(std::uint32_t selector);
constexpr float kKiasNoSpeedLight = 250.0f;

std::string_view trim(std::string_view text);

} // namespace gb::sim
