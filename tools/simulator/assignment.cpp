#include "tools/simulator/assignment.h"

#include "cockpit/element_catalog.h"
#include "cockpit/element_table.h"
#include "cockpit/shared_memory_source.h"
#include "platform/ascii.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace gb::sim {

namespace {

// Gear positions that light a gear lamp in layouts 110/200 (the reader wants >= 1.3 left/right
// and >= 1.5 nose) and in layout 100 (>= 1.0), and one that shows the gear in transit there.
constexpr float kGearDownL110 = 1.5f;
constexpr float kGearDownL100 = 1.0f;
constexpr float kGearInTransitL100 = 0.5f;

ParseResult failure(ParseStatus status, std::string message) {
    ParseResult result;
    result.status = status;
    result.message = std::move(message);
    return result;
}

// A whole-string decimal or hexadecimal ("0x...") integer, optionally signed.
bool parseInteger(std::string_view text, long long& out) {
    text = trim(text);
    if (text.empty()) return false;
    const std::string s(text);
    const char* digits = s.c_str();
    bool negative = false;
    if (*digits == '-' || *digits == '+') {
        negative = *digits == '-';
        ++digits;
    }
    int base = 10;
    if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits += 2;
    }
    if (*digits == '\0' || *digits == '-' || *digits == '+' || *digits == ' ') return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long magnitude = std::strtoull(digits, &end, base);
    if (errno != 0 || *end != '\0' || magnitude > (1ULL << 40)) return false;
    out = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    return true;
}

// A whole-string number in C notation ("250", "-1.5e3", "nan", "inf").
bool parseReal(std::string_view text, double& out) {
    text = trim(text);
    if (text.empty()) return false;
    const std::string s(text);
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return *end == '\0';
}

enum class FlagWord {
    On,
    Off,
    None
};

FlagWord parseFlagWord(std::string_view text) {
    text = trim(text);
    if (ascii::equalIgnoringCase(text, "on") || text == "1" ||
        ascii::equalIgnoringCase(text, "true"))
        return FlagWord::On;
    if (ascii::equalIgnoringCase(text, "off") || text == "0" ||
        ascii::equalIgnoringCase(text, "false"))
        return FlagWord::Off;
    return FlagWord::None;
}

// Splits "a..b" into its ends; false when there is no "..".
bool splitRamp(std::string_view value, std::string_view& from, std::string_view& to) {
    const std::size_t dots = value.find("..");
    if (dots == std::string_view::npos) return false;
    from = value.substr(0, dots);
    to = value.substr(dots + 2);
    return true;
}

// Fills from/to/ramp with real numbers, or integers within [low, high] when `integral`.
bool parseNumericValue(std::string_view value, bool allowRamp, bool integral, double low,
                       double high, Assignment& a, std::string& error) {
    std::string_view fromText = value;
    std::string_view toText = value;
    a.ramp = splitRamp(value, fromText, toText);
    if (a.ramp && !allowRamp) {
        error = "a ramp (from..to) only plays in a flight script";
        return false;
    }
    double ends[2] = {0.0, 0.0};
    const std::string_view texts[2] = {fromText, toText};
    for (int i = 0; i < 2; ++i) {
        if (integral) {
            long long n = 0;
            if (!parseInteger(texts[i], n) || static_cast<double>(n) < low ||
                static_cast<double>(n) > high) {
                char buffer[96];
                std::snprintf(buffer, sizeof buffer, "expected an integer from %.0f to %.0f", low,
                              high);
                error = buffer;
                return false;
            }
            ends[i] = static_cast<double>(n);
        } else if (!parseReal(texts[i], ends[i])) {
            error = "expected a number";
            return false;
        }
    }
    a.from = ends[0];
    a.to = ends[1];
    return true;
}

std::string quoted(std::string_view text) {
    std::string out(1, '"');
    out.append(text);
    out += '"';
    return out;
}

std::string hex(std::uint32_t value);

// "@0x6C:u32", built by appending: g++ 12 warns falsely (-Wrestrict) on "literal" + string.
std::string rawLabel(std::uint32_t offset, const char* type) {
    std::string label(1, '@');
    label += hex(offset);
    label += ':';
    label += type;
    return label;
}

std::string hex(std::uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%X", static_cast<unsigned>(value));
    return buffer;
}

ParseResult parseComputed(const ElementRecord& record, const std::string& label,
                          std::string_view value, std::int32_t layout, bool allowRamp) {
    ParseResult result;
    Assignment& a = result.assignment;
    const std::uint32_t selector = record.mask;
    const FlagWord word = parseFlagWord(value);

    if (selector >= kFirstDigitSelector) {
        const bool altitude = selector <= kLastAltitudeSelector;
        return failure(ParseStatus::NotSettable,
                       label + " is computed from " +
                           (altitude ? "Primary Data/Altitude (the block holds the height "
                                       "negated: Altitude=-12500 shows 12500)"
                                     : "Primary Data/KIAS") +
                           "; set that instead");
    }
    if (selector >= kFirstSpeedSelector) {
        if (word == FlagWord::None)
            return failure(ParseStatus::BadValue,
                           label + " takes on or off (it follows Primary Data/KIAS), not " +
                               quoted(value));
        a.kind = word == FlagWord::On ? WriteKind::Float32 : WriteKind::SpeedLightOff;
        a.offset = kKiasOffset;
        a.mask = selector;
        a.from = a.to = speedLightKias(selector);
        return result;
    }
    if (selector == kSelectorGearHandle) {
        if (word == FlagWord::None)
            return failure(ParseStatus::BadValue, label + " takes on or off, not " + quoted(value));
        if (layout == kLayout100) {
            a.kind = word == FlagWord::On ? WriteKind::Float32 : WriteKind::GearHandleOff;
            a.offset = kGearPositionOffset;
            a.from = a.to = kGearInTransitL100;
        } else {
            a.kind = word == FlagWord::On ? WriteKind::SetBits : WriteKind::ClearBits;
            a.offset = kLightBits2Offset;
            a.mask = kGearHandleBit;
        }
        return result;
    }
    // Left, nose and right gear: on/off, or the gear position itself.
    a.kind = WriteKind::Float32;
    if (layout == kLayout100) {
        a.offset = kGearPositionOffset; // one position for all three gears
    } else {
        a.offset = selector == kSelectorLeftGear    ? kLeftGearOffset
                   : selector == kSelectorNoseGear  ? kNoseGearOffset
                   : selector == kSelectorRightGear ? kRightGearOffset
                                                    : 0;
    }
    if (word != FlagWord::None) {
        // "1" and "0" are flag words here as for every flag; "1.0" is a position.
        const float down = layout == kLayout100 ? kGearDownL100 : kGearDownL110;
        a.from = a.to = word == FlagWord::On ? down : 0.0f;
        return result;
    }
    std::string error;
    if (!parseNumericValue(value, allowRamp, false, 0, 0, a, error))
        return failure(ParseStatus::BadValue, label + " takes on, off or a gear position: " +
                                                  error + ", not " + quoted(value));
    return result;
}

ParseResult parseNamed(std::string_view name, std::string_view value, std::int32_t layout,
                       bool allowRamp) {
    const std::size_t slash = name.find('/');
    if (slash == std::string_view::npos)
        return failure(ParseStatus::Syntax,
                       "expected Group/Element=value or @offset:type=value, not " + quoted(name));
    const std::string groupName(trim(name.substr(0, slash)));
    const std::string elementName(trim(name.substr(slash + 1)));
    const int group = findGroup(groupName.c_str());
    if (group < 0) return failure(ParseStatus::UnknownGroup, "no group " + quoted(groupName));
    const int pos = findElement(group, elementName.c_str());
    if (pos < 0)
        return failure(ParseStatus::UnknownElement, "no element " + quoted(elementName) +
                                                        " in group " +
                                                        quoted(ElementCatalog[group].groupName));

    const CatalogEntry& entry = ElementCatalog[pos];
    const ElementRecord& record = ElementTable[entry.elementIndex];
    const std::string label =
        std::string(ElementCatalog[group].groupName) + "/" + entry.elementName;

    if (record.kind == ElementKind::Absent)
        return failure(ParseStatus::NotSettable,
                       label + " is in no block layout; Glowbridge always reads it as " +
                           (entry.kind == CatalogFlag ? "off" : "0"));
    ParseResult result;
    if (record.kind == ElementKind::Computed) {
        result = parseComputed(record, label, value, layout, allowRamp);
    } else {
        if (record.minLayout > layout) {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, " is not in layout %d (needs %d or later)",
                          static_cast<int>(layout), static_cast<int>(record.minLayout));
            return failure(ParseStatus::NotInLayout, label + buffer);
        }
        Assignment& a = result.assignment;
        a.offset = offsetIn(record, layout);
        std::string error;
        if (record.kind == ElementKind::BitFlag) {
            const FlagWord word = parseFlagWord(value);
            if (word == FlagWord::None)
                return failure(ParseStatus::BadValue,
                               label + " is a flag: expected on, off, 1 or 0, not " +
                                   quoted(value));
            a.kind = word == FlagWord::On ? WriteKind::SetBits : WriteKind::ClearBits;
            a.mask = record.mask;
        } else if (record.kind == ElementKind::IntValue) {
            a.kind = WriteKind::Int32;
            if (!parseNumericValue(value, allowRamp, true, std::numeric_limits<std::int32_t>::min(),
                                   std::numeric_limits<std::int32_t>::max(), a, error))
                return failure(ParseStatus::BadValue,
                               label + ": " + error + ", not " + quoted(value));
        } else {
            a.kind = WriteKind::Float32;
            if (!parseNumericValue(value, allowRamp, false, 0, 0, a, error))
                return failure(ParseStatus::BadValue,
                               label + ": " + error + ", not " + quoted(value));
        }
    }
    if (result.status == ParseStatus::Ok) result.assignment.label = label;
    return result;
}

struct RawType {
    const char* name;
    WriteKind kind;
    std::size_t width;
    bool integral;
    double low;
    double high;
};

constexpr RawType kRawTypes[] = {
    {"u8", WriteKind::Uint8, 1, true, 0, 255},
    {"u16", WriteKind::Uint16, 2, true, 0, 65535},
    {"u32", WriteKind::Uint32, 4, true, 0, 4294967295.0},
    {"i32", WriteKind::Int32, 4, true, -2147483648.0, 2147483647.0},
    {"f32", WriteKind::Float32, 4, false, 0, 0},
    {"set", WriteKind::SetBits, 4, true, 0, 4294967295.0},
    {"clear", WriteKind::ClearBits, 4, true, 0, 4294967295.0},
};

ParseResult parseRaw(std::string_view name, std::string_view value, std::int32_t layout,
                     bool allowRamp) {
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos)
        return failure(ParseStatus::Syntax,
                       "expected @offset:type=value (types u8, u16, u32, i32, f32, set, clear), "
                       "not " +
                           quoted(name));
    long long offset = 0;
    if (!parseInteger(name.substr(1, colon - 1), offset) || offset < 0)
        return failure(ParseStatus::Syntax, "bad offset in " + quoted(name));
    const std::string_view typeName = trim(name.substr(colon + 1));
    const RawType* type = nullptr;
    for (const RawType& t : kRawTypes)
        if (ascii::equalIgnoringCase(typeName, t.name)) type = &t;
    if (type == nullptr)
        return failure(ParseStatus::Syntax, "unknown type " + quoted(typeName) +
                                                " (u8, u16, u32, i32, f32, set, clear)");
    const std::size_t size = blockSizeOf(layout);
    if (static_cast<unsigned long long>(offset) + type->width > size) {
        char buffer[96];
        std::snprintf(buffer, sizeof buffer,
                      "offset %s + %zu bytes is past the end of layout %d (%zu bytes)",
                      hex(static_cast<std::uint32_t>(offset)).c_str(), type->width,
                      static_cast<int>(layout), size);
        return failure(ParseStatus::OutsideBlock, buffer);
    }
    ParseResult result;
    Assignment& a = result.assignment;
    a.kind = type->kind;
    a.offset = static_cast<std::uint32_t>(offset);
    const bool bits = type->kind == WriteKind::SetBits || type->kind == WriteKind::ClearBits;
    std::string error;
    if (!parseNumericValue(value, allowRamp && !bits, type->integral, type->low, type->high, a,
                           error))
        return failure(ParseStatus::BadValue,
                       rawLabel(a.offset, type->name) + ": " + error + ", not " + quoted(value));
    if (bits) a.mask = static_cast<std::uint32_t>(a.from);
    a.label = rawLabel(a.offset, type->name);
    return result;
}

} // namespace

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

float speedLightKias(std::uint32_t selector) {
    // Speed light n = (trunc(KIAS) + 20) / 50: TooLow n < 3, VeryLow 3..4, Low 6, Good 7,
    // High 9, VeryHigh 10 and up.
    switch (selector) {
    case 4:
        return 100.0f;
    case 5:
        return 150.0f;
    case 6:
        return 300.0f;
    case 7:
        return 350.0f;
    case 8:
        return 450.0f;
    case 9:
        return 550.0f;
    default:
        return kKiasNoSpeedLight;
    }
}

ParseResult parseAssignment(std::string_view text, std::int32_t layout, bool allowRamp) {
    if (blockSizeOf(layout) == 0) return failure(ParseStatus::Syntax, "unknown layout");
    text = trim(text);
    // Names and numbers are looked up and read as C strings, which would end at a NUL.
    if (text.find('\0') != std::string_view::npos)
        return failure(ParseStatus::Syntax, "a NUL byte in " + quoted(text));
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0)
        return failure(ParseStatus::Syntax,
                       "expected Group/Element=value or @offset:type=value, not " + quoted(text));
    const std::string_view name = trim(text.substr(0, equals));
    const std::string_view value = trim(text.substr(equals + 1));
    if (value.empty()) return failure(ParseStatus::BadValue, "no value after = in " + quoted(text));
    ParseResult result = name.front() == '@' ? parseRaw(name, value, layout, allowRamp)
                                             : parseNamed(name, value, layout, allowRamp);
    if (result.status == ParseStatus::Ok) {
        result.assignment.valueText = std::string(value);
        if (!result.assignment.ramp) result.assignment.to = result.assignment.from;
    }
    return result;
}

void applyAssignment(const Assignment& a, BlockImage& block, double fraction) {
    double value = a.from;
    if (a.ramp) {
        if (!(fraction > 0.0)) fraction = 0.0;
        if (fraction > 1.0) fraction = 1.0;
        value = fraction >= 1.0 ? a.to : a.from + (a.to - a.from) * fraction;
    }
    switch (a.kind) {
    case WriteKind::SetBits:
        block.storeU32(a.offset, block.loadU32(a.offset) | a.mask);
        break;
    case WriteKind::ClearBits:
        block.storeU32(a.offset, block.loadU32(a.offset) & ~a.mask);
        break;
    case WriteKind::Float32:
        block.storeF32(a.offset, static_cast<float>(value));
        break;
    // Integer values were range-checked when parsed, and a ramp stays between its ends.
    case WriteKind::Int32:
        block.storeI32(a.offset, static_cast<std::int32_t>(std::trunc(value)));
        break;
    case WriteKind::Uint32:
        block.storeU32(a.offset, static_cast<std::uint32_t>(std::trunc(value)));
        break;
    case WriteKind::Uint16:
        block.storeU16(a.offset, static_cast<std::uint16_t>(std::trunc(value)));
        break;
    case WriteKind::Uint8:
        block.storeU8(a.offset, static_cast<std::uint8_t>(std::trunc(value)));
        break;
    case WriteKind::SpeedLightOff:
        if (speedLightOn(a.mask, block.loadF32(kKiasOffset)))
            block.storeF32(kKiasOffset, kKiasNoSpeedLight);
        break;
    case WriteKind::GearHandleOff: {
        const float position = block.loadF32(kGearPositionOffset);
        if (position > 0.0f && position < 1.0f) block.storeF32(kGearPositionOffset, 0.0f);
        break;
    }
    }
}

} // namespace gb::sim
