#pragma once
// Where each cockpit element lies in the simulator's shared block "FalconSharedMemoryArea" and how
// it is read, for each of the block's three layouts.

#include <cstddef>
#include <cstdint>

namespace gb {

enum class ElementKind : std::int32_t {
    Absent = -1,    // never available: off / 0
    BitFlag = 0,    // on when the 32-bit word at `live` AND `mask` is not 0
    FloatValue = 1, // 32-bit float at `live`
    IntValue = 2,   // signed 32-bit integer at `live`
    Computed = 3,   // derived from fixed block fields by the selector in `mask`
};

struct ElementRecord {
    std::int32_t index; // equals the record's position
    // Into the attached view, bound by SharedMemorySource::attach; null when not carried.
    const void* live;
    ElementKind kind;
    std::int32_t minLayout;   // 100, 110 or 200; 0 for Absent, 100 for Computed
    std::uint32_t offsetL200; // 0 when the layout does not carry the element
    std::uint32_t offsetL110;
    std::uint32_t offsetL100;
    std::uint32_t mask; // BitFlag: bit mask; Computed: selector 0..16; otherwise 0
};

constexpr int kElementCount = 166;

// Indexed by element index. Only the `live` pointers change.
extern ElementRecord ElementTable[kElementCount];

// The block's layouts and their sizes; the size tells the layouts apart.
constexpr const char* kSharedBlockName = "FalconSharedMemoryArea";
constexpr std::int32_t kLayout100 = 100;
constexpr std::int32_t kLayout110 = 110;
constexpr std::int32_t kLayout200 = 200;
constexpr std::size_t kBlockSizeL100 = 124;
constexpr std::size_t kBlockSizeL110 = 1240;
constexpr std::size_t kBlockSizeL200 = 1264;

// Block size of a layout; 0 for anything else.
std::size_t blockSizeOf(std::int32_t layout);

// The record's byte offset in `layout`; 0 when that layout does not carry it (minLayout above
// the layout, Absent, Computed, or an unknown layout).
std::uint32_t offsetIn(const ElementRecord& record, std::int32_t layout);

// Fixed fields the computed elements read (byte offsets valid in every layout that has them).
constexpr std::uint32_t kAltitudeOffset = 0x008;     // float, all layouts
constexpr std::uint32_t kKiasOffset = 0x034;         // float, all layouts
constexpr std::uint32_t kGearPositionOffset = 0x05C; // float, read only in layout 100
constexpr std::uint32_t kLightBits2Offset = 0x07C;   // 32-bit word, layouts 110/200
constexpr std::uint32_t kGearHandleBit = 0x40000000; // in the word at kLightBits2Offset
constexpr std::uint32_t kNoseGearOffset = 0x08C;     // float, layouts 110/200
constexpr std::uint32_t kLeftGearOffset = 0x090;
constexpr std::uint32_t kRightGearOffset = 0x094;

// Selectors of the Computed records.
constexpr std::uint32_t kSelectorLeftGear = 0; // 0..3: the gear lights
constexpr std::uint32_t kSelectorNoseGear = 1;
constexpr std::uint32_t kSelectorRightGear = 2;
constexpr std::uint32_t kSelectorGearHandle = 3;
constexpr std::uint32_t kFirstSpeedSelector = 4; // 4..9: the speed lights
constexpr std::uint32_t kLastFlagSelector = 9;
constexpr std::uint32_t kFirstDigitSelector = 10;   // 10..13: the altitude digits,
constexpr std::uint32_t kLastAltitudeSelector = 13; // 14..16: the speed digits
constexpr std::uint32_t kLastDigitSelector = 16;

} // namespace gb
