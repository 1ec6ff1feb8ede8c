#include "tools/monitor/recorder.h"

#include "cockpit/element_catalog.h"
#include "cockpit/element_table.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace gb::monitor {

namespace {

std::uint32_t loadWord(const std::uint8_t* block, std::uint32_t offset) {
    std::uint32_t word = 0;
    std::memcpy(&word, block + offset, sizeof word);
    return word;
}

// The field a computed element follows, as the flight script sets it.
RecordedField computedField(std::uint32_t selector, std::int32_t layout) {
    if (selector >= kFirstDigitSelector)
        return selector <= kLastAltitudeSelector
                   ? RecordedField{FieldKind::Float, kAltitudeOffset, 0, "Primary Data/Altitude"}
                   : RecordedField{FieldKind::Float, kKiasOffset, 0, "Primary Data/KIAS"};
    if (selector > kSelectorGearHandle)
        return {FieldKind::Float, kKiasOffset, 0, "Primary Data/KIAS"};
    // Layout 100 keeps one gear position, which also shows the handle (gear in transit); a
    // script sets it through any gear.
    if (layout == kLayout100)
        return {FieldKind::GearPosition, kGearPositionOffset, 0, "Gear Lights/Left"};
    switch (selector) {
    case kSelectorGearHandle:
        return {FieldKind::Bits, kLightBits2Offset, kGearHandleBit, "Gear Lights/Handle"};
    case kSelectorNoseGear:
        return {FieldKind::GearPosition, kNoseGearOffset, 0, "Gear Lights/Nose"};
    case kSelectorRightGear:
        return {FieldKind::GearPosition, kRightGearOffset, 0, "Gear Lights/Right"};
    default:
        return {FieldKind::GearPosition, kLeftGearOffset, 0, "Gear Lights/Left"};
    }
}

bool sameField(const RecordedField& a, const RecordedField& b) {
    // A gear position and a plain float at one offset are one field.
    const bool aBits = a.kind == FieldKind::Bits;
    const bool bBits = b.kind == FieldKind::Bits;
    return a.offset == b.offset && aBits == bBits && (!aBits || a.mask == b.mask);
}

std::uint32_t fieldValue(const RecordedField& field, const std::uint8_t* block) {
    const std::uint32_t word = loadWord(block, field.offset);
    return field.kind == FieldKind::Bits ? (word & field.mask) : word;
}

// The value as the script reads it back to the same bits: %.9g gives every float back; NaN and
// the infinities by name, as the simulator's parser takes them everywhere.
int formatValue(const RecordedField& field, std::uint32_t raw, char* buffer, std::size_t size) {
    switch (field.kind) {
    case FieldKind::Bits:
        return std::snprintf(buffer, size, "%s", raw != 0 ? "on" : "off");
    case FieldKind::Int:
        return std::snprintf(buffer, size, "%d", static_cast<int>(static_cast<std::int32_t>(raw)));
    case FieldKind::Float:
    case FieldKind::GearPosition:
        break;
    }
    float value = 0.0f;
    std::memcpy(&value, &raw, sizeof value);
    if (std::isnan(value))
        return std::snprintf(buffer, size, "%s", std::signbit(value) ? "-nan" : "nan");
    if (std::isinf(value)) return std::snprintf(buffer, size, "%s", value < 0 ? "-inf" : "inf");
    if (field.kind == FieldKind::GearPosition && value == 1.0f)
        return std::snprintf(buffer, size, "1.0");
    return std::snprintf(buffer, size, "%.9g", static_cast<double>(value));
}

} // namespace

std::vector<RecordedField> recordedFields(const std::vector<int>& positions, std::int32_t layout) {
    std::vector<RecordedField> fields;
    for (int pos : positions) {
        const CatalogEntry& entry = ElementCatalog[pos];
        const ElementRecord& record = ElementTable[entry.elementIndex];
        RecordedField field;
        if (record.kind == ElementKind::Computed) {
            field = computedField(record.mask, layout);
        } else if (record.kind == ElementKind::Absent || record.minLayout > layout) {
            continue;
        } else {
            field.kind = record.kind == ElementKind::BitFlag    ? FieldKind::Bits
                         : record.kind == ElementKind::IntValue ? FieldKind::Int
                                                                : FieldKind::Float;
            field.offset = offsetIn(record, layout);
            field.mask = record.mask;
            field.label = std::string(groupOf(pos)) + "/" + entry.elementName;
        }
        bool known = false;
        for (const RecordedField& f : fields)
            known = known || sameField(f, field);
        if (!known) fields.push_back(std::move(field));
    }
    return fields;
}

std::string scriptTime(double seconds) {
    if (!(seconds > 0.0)) seconds = 0.0;
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "t=%.3f", seconds);
    std::string text = buffer;
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

void Recorder::watch(const std::vector<int>& positions, std::int32_t layout) {
    fields_ = recordedFields(positions, layout);
    last_.assign(fields_.size(), 0);
    layout_ = layout;
    primed_ = false;
}

std::size_t Recorder::snapshot(const std::uint8_t* block, double seconds, std::string& out) {
    std::size_t lines = 0;
    std::string time; // made once per snapshot with a change (fits the small-string buffer)
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const RecordedField& field = fields_[i];
        const std::uint32_t value = fieldValue(field, block);
        if (primed_ && value == last_[i]) continue;
        last_[i] = value;
        if (lines++ == 0) time = scriptTime(seconds);
        char text[48];
        const int n = formatValue(field, value, text, sizeof text);
        out += time;
        out += ' ';
        out += field.label;
        out += '=';
        out.append(text, static_cast<std::size_t>(n));
        out += '\n';
    }
    if (lines > 0 && seconds > lastChange_) lastChange_ = seconds;
    primed_ = true;
    return lines;
}

std::string Recorder::header() const {
    const std::string layout = std::to_string(layout_);
    return "# Recorded by glowbridge-monitor from FalconSharedMemoryArea, layout " + layout +
           ".\n# Play it with: falcon-sim --layout " + layout + " --play FILE [--once]\n";
}

std::string Recorder::endLine(double seconds) const {
    return scriptTime(seconds > lastChange_ ? seconds : lastChange_) + " end\n";
}

} // namespace gb::monitor
