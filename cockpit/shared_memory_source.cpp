#include "cockpit/shared_memory_source.h"

#include "cockpit/element_table.h"
#include "platform/message_box.h"

#include <cstring>
#include <limits>

namespace gb {

namespace {

constexpr const char* kFailureCaption = "Failure opening Memoryarea";

// The block changes under the reader and its fields need not be aligned for the compiler, so
// every field is copied out rather than dereferenced in place.
std::uint32_t loadWord(const void* at) {
    std::uint32_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

std::int32_t loadInt(const void* at) {
    std::int32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

double loadFloat(const void* at) {
    float value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// 32-bit two's-complement arithmetic, as the card receives it; no signed overflow.
std::int32_t wrapAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

std::int32_t wrapMul(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

bool isCarried(ElementKind kind) {
    return kind == ElementKind::BitFlag || kind == ElementKind::FloatValue ||
           kind == ElementKind::IntValue;
}

// Gear lights (selectors 0..3) and speed lights (4..9). Layout 100 has one gear position for all
// three wheels; the later layouts have one per wheel and a gear handle bit.
bool computedFlag(std::uint32_t selector, const std::uint8_t* data, std::int32_t layout) {
    const bool singleGear = layout == kLayout100;
    switch (selector) {
    case kSelectorLeftGear:
        return singleGear ? loadFloat(data + kGearPositionOffset) >= 1.0
                          : loadFloat(data + kLeftGearOffset) >= 1.3;
    case kSelectorNoseGear:
        return singleGear ? loadFloat(data + kGearPositionOffset) >= 1.0
                          : loadFloat(data + kNoseGearOffset) >= 1.5;
    case kSelectorRightGear:
        return singleGear ? loadFloat(data + kGearPositionOffset) >= 1.0
                          : loadFloat(data + kRightGearOffset) >= 1.3;
    case kSelectorGearHandle: {
        if (!singleGear) return (loadWord(data + kLightBits2Offset) & kGearHandleBit) != 0;
        const double position = loadFloat(data + kGearPositionOffset);
        return position > 0.0 && position < 1.0; // gear in transit
    }
    default:
        break;
    }
    return speedLightOn(selector, loadFloat(data + kKiasOffset));
}

// Selectors 10..13 are the altitude digits, 14..16 the speed digits (one place above their names).
double digitSource(std::uint32_t selector, const std::uint8_t* data) {
    return loadFloat(data + (selector <= kLastAltitudeSelector ? kAltitudeOffset : kKiasOffset));
}

std::int32_t digitDivisor(std::uint32_t selector) {
    static constexpr std::int32_t kDivisors[] = {10000, 1000, 100, 10, 10000, 1000, 100};
    return kDivisors[selector - kFirstDigitSelector];
}

bool isDigit(const ElementRecord& record) {
    return record.kind == ElementKind::Computed && record.mask >= kFirstDigitSelector &&
           record.mask <= kLastDigitSelector;
}

} // namespace

bool speedLightOn(std::uint32_t selector, double kias) {
    const std::uint32_t t = static_cast<std::uint32_t>(truncateToInt32(kias));
    const std::uint32_t n = (t + 20u) / 50u;
    switch (selector) {
    case 4:
        return n < 3;
    case 5:
        return n >= 3 && n < 5;
    case 6:
        return n == 6;
    case 7:
        return n == 7;
    case 8:
        return n == 9;
    case 9:
        return n >= 10;
    default:
        return false;
    }
}

std::int32_t truncateToInt32(double value) {
    // The bounds are exact doubles; NaN fails both comparisons.
    if (value > -2147483649.0 && value < 2147483648.0) return static_cast<std::int32_t>(value);
    return std::numeric_limits<std::int32_t>::min();
}

SharedMemorySource::~SharedMemorySource() {
    detach();
}

bool SharedMemorySource::attach() {
    if (mapping_ != nullptr) return true;

    platform::SharedBlockHandle mapping = platform::openSharedBlock(kSharedBlockName);
    if (mapping == nullptr) {
        platform::messageBox(nullptr, "Make sure, that Falcon iBeta/eRazor 1.10 is running!",
                             kFailureCaption, platform::MbOk);
        return false;
    }

    // The system refuses a view larger than the object, so the largest view that maps tells
    // which layout the simulator publishes.
    static constexpr std::int32_t kLayoutsLargestFirst[] = {kLayout200, kLayout110, kLayout100};
    const void* view = nullptr;
    std::int32_t layout = 0;
    for (const std::int32_t candidate : kLayoutsLargestFirst) {
        view = platform::mapSharedBlockView(mapping, blockSizeOf(candidate));
        if (view != nullptr) {
            layout = candidate;
            break;
        }
    }
    if (view == nullptr) {
        platform::messageBox(nullptr, "Can't connect pointer to Falcon Memoryarea!",
                             kFailureCaption, platform::MbOk);
        platform::closeSharedBlock(mapping);
        return false;
    }

    mapping_ = mapping;
    view_ = view;
    data_ = static_cast<const std::uint8_t*>(view);
    layoutVersion_ = layout;

    for (ElementRecord& record : ElementTable) {
        if (!isCarried(record.kind)) continue;
        record.live = nullptr;
        if (record.minLayout <= layoutVersion_)
            record.live = data_ + offsetIn(record, layoutVersion_);
    }
    return true;
}

void SharedMemorySource::detach() {
    if (mapping_ == nullptr) return;
    platform::unmapSharedBlockView(view_, blockSizeOf(layoutVersion_));
    platform::closeSharedBlock(mapping_);
    mapping_ = nullptr;
    view_ = nullptr;
    data_ = nullptr;
    layoutVersion_ = 0;
}

std::size_t SharedMemorySource::mappedSize() const {
    return blockSizeOf(layoutVersion_);
}

bool SharedMemorySource::readFlag(std::int32_t index) const {
    if (!isAttached() || index < 0 || index >= kElementCount) return false;
    const ElementRecord& record = ElementTable[index];
    if (record.live != nullptr) return (loadWord(record.live) & record.mask) != 0;
    if (record.kind == ElementKind::Computed && record.mask <= kLastFlagSelector)
        return computedFlag(record.mask, data_, layoutVersion_);
    return false;
}

std::int32_t SharedMemorySource::readScaled(std::int32_t index, double multi,
                                            std::int32_t offset) const {
    if (!isAttached() || index < 0 || index >= kElementCount) return 0;
    const ElementRecord& record = ElementTable[index];
    switch (record.kind) {
    case ElementKind::FloatValue:
        if (record.live == nullptr) return 0;
        return wrapAdd(truncateToInt32(loadFloat(record.live) * multi), offset);
    case ElementKind::IntValue:
        if (record.live == nullptr) return 0;
        return wrapAdd(wrapMul(loadInt(record.live), truncateToInt32(multi)), offset);
    case ElementKind::Computed: {
        if (!isDigit(record)) return 0;
        const std::int32_t v =
            wrapAdd(truncateToInt32(-digitSource(record.mask, data_) * multi), offset);
        return (v / digitDivisor(record.mask)) % 10;
    }
    default:
        return 0;
    }
}

double SharedMemorySource::readValue(std::int32_t index) const {
    if (!isAttached() || index < 0 || index >= kElementCount) return 0.0;
    const ElementRecord& record = ElementTable[index];
    switch (record.kind) {
    case ElementKind::FloatValue:
        return record.live != nullptr ? loadFloat(record.live) : 0.0;
    case ElementKind::IntValue:
        return record.live != nullptr ? loadInt(record.live) : 0.0;
    case ElementKind::Computed:
        return isDigit(record) ? digitSource(record.mask, data_) : 0.0;
    default:
        return 0.0;
    }
}

} // namespace gb
