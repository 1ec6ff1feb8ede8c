#include "tools/card_emulator/labels.h"

#include <cmath>
#include <cstdio>

namespace gb::emu {

namespace {

// The range a double may have for the cycle's truncation to a signed 32-bit integer; NaN fails.
bool fitsInt32(double v) {
    return v > -2147483649.0 && v < 2147483648.0;
}

void append(std::string& to, const char* separator, const std::string& part) {
    if (part.empty()) return;
    if (!to.empty()) to += separator;
    to += part;
}

std::string formatValue(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}

} // namespace

bool elementValueOfByte(ElementKind kind, double multi, std::int32_t offset, std::uint8_t byte,
                        double& value) {
    if (!std::isfinite(multi) || multi == 0.0) return false;
    const std::int64_t scaled = static_cast<std::int64_t>(byte) - offset;
    if (scaled < INT32_MIN || scaled > INT32_MAX) return false;
    switch (kind) {
    case ElementKind::IntValue: {
        if (!fitsInt32(multi)) return false;
        const std::int64_t factor = static_cast<std::int32_t>(multi);
        if (factor == 0 || scaled % factor != 0) return false;
        const std::int64_t v = scaled / factor;
        if (v < INT32_MIN || v > INT32_MAX) return false;
        value = static_cast<double>(v);
        return true;
    }
    case ElementKind::FloatValue: {
        const double v = static_cast<double>(scaled) / multi;
        // The element is a float: the value must be one, and its product exactly the scaled
        // value, or the byte stands for a range of values rather than this one.
        if (!std::isfinite(v) || std::fabs(v) > 3.4028234663852886e38) return false;
        const float f = static_cast<float>(v);
        if (static_cast<double>(f) != v) return false;
        if (static_cast<double>(f) * multi != static_cast<double>(scaled)) return false;
        value = v == 0.0 ? 0.0 : v; // 0 / -0.01 is -0, which would print as "-0"
        return true;
    }
    default:
        return false;
    }
}

DefinitionLabels::DefinitionLabels(const DefinitionList& list) {
    for (int i = 0; i < list.count; ++i) {
        const Definition* d = list.at(i);
        if (d == nullptr) continue;
        const DefinitionForm form = formOf(*d);
        if (form == DefinitionForm::None) continue;
        const bool known = d->elementIndex >= 0 && d->elementIndex < kElementCount;
        bindings_.push_back({d->elementName, form, d->invert != 0, d->qpOn, d->qpOff, d->phNumber,
                             d->phByte, static_cast<std::uint8_t>(d->bitMask & 0xFF),
                             known ? ElementTable[d->elementIndex].kind : ElementKind::Absent,
                             d->multi, d->offset});
    }
}

std::string DefinitionLabels::qproc(int number) const {
    std::string names;
    for (const Binding& b : bindings_) {
        if (b.form != DefinitionForm::QpFlag) continue;
        const bool on = b.qpOn == number;
        const bool off = b.qpOff == number;
        if (!on && !off) continue;
        std::string state = on && off ? "ON or OFF" : (on != b.invert ? "ON" : "OFF");
        if (b.invert) state += " (inverted)";
        append(names, ", ", b.name + " " + state);
    }
    if (names.empty()) return "";
    return names + " (QProc " + std::to_string(number) + ")";
}

bool DefinitionLabels::binds(int ph) const {
    for (const Binding& b : bindings_) {
        if (b.form == DefinitionForm::AnalogValue && b.ph == ph) return true;
        if (b.form == DefinitionForm::PhFlag && b.ph == ph && b.mask != 0) return true;
    }
    return false;
}

std::string DefinitionLabels::pigeonHole(int ph, const std::uint8_t* bytes) const {
    std::string names;
    for (const Binding& b : bindings_) {
        if (b.ph != ph || b.byte < 0 || b.byte > 3) continue;
        const std::uint8_t byte = bytes[b.byte];
        if (b.form == DefinitionForm::PhFlag && b.mask != 0) {
            const std::uint8_t set = byte & b.mask;
            std::string state = set == 0 ? "off" : set == b.mask ? "on" : "mixed";
            // An inverted flag sets its bits while its element is off.
            if (b.invert && set == 0)
                state = "on (inverted)";
            else if (b.invert && set == b.mask)
                state = "off (inverted)";
            append(names, ", ", b.name + " " + state);
        } else if (b.form == DefinitionForm::AnalogValue) {
            double value = 0;
            if (elementValueOfByte(b.kind, b.multi, b.offset, byte, value)) {
                append(names, ", ",
                       b.name + " " + formatValue(value) + " (byte " + std::to_string(byte) + ")");
            } else {
                append(names, ", ", b.name + " byte " + std::to_string(byte));
            }
        }
    }
    return names;
}

std::string DefinitionLabels::packet(const LogEntry& e) const {
    if (e.direction != Direction::Write || e.length < 2 || e.data[0] != 0x06 || e.data[1] != 0x00)
        return "";
    std::string labels;
    // The items as the card decodes a batch: from byte 2 up to the end marker.
    for (int pos = 2; pos < e.length && e.data[pos] != 0xFF;) {
        const std::uint8_t code = e.data[pos];
        const int length = itemLength(code);
        if (pos + length > e.length) break;
        if (code == 0x10) {
            const int ph = e.data[pos + 1];
            std::string names = pigeonHole(ph, &e.data[pos + 2]);
            if (!names.empty()) append(labels, "; ", "PH " + std::to_string(ph) + ": " + names);
        } else if (code >= 0x20 && code <= 0x9F) {
            append(labels, "; ", qproc((code - 0x20) * 256 + e.data[pos + 1]));
        }
        pos += length;
    }
    return labels;
}

} // namespace gb::emu
