#include "cockpit/definition_list.h"

#include "cockpit/text_utils.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <new>

namespace gb {

DefinitionForm formOf(const Definition& d) {
    if (d.kind == DefinitionAnalog) return DefinitionForm::AnalogValue;
    if (d.qpOn >= 0) return DefinitionForm::QpFlag;
    if (d.phNumber >= 0) return DefinitionForm::PhFlag;
    return DefinitionForm::None;
}

const char* writeSectionOf(const Definition& d) {
    return d.fileSection[0] != '\0' && d.fileKey[0] != '\0' ? d.fileSection : d.groupName;
}

const char* writeKeyOf(const Definition& d) {
    return d.fileSection[0] != '\0' && d.fileKey[0] != '\0' ? d.fileKey : d.elementName;
}

DefinitionList::~DefinitionList() {
    for (int i = count - 1; i >= 0; --i)
        delete items[i];
}

int DefinitionList::addDefinition(const Definition& d, platform::WindowHandle owner) {
    if (count >= kCapacity) {
        char text[64];
        std::snprintf(text, sizeof text, "More than %d elements!", kCapacity);
        platform::messageBox(owner, text, "Definition error", platform::MbOk);
        return -1;
    }
    Definition* copy = new (std::nothrow) Definition(d);
    if (copy == nullptr) {
        platform::messageBox(owner, "No enougth free memory!", "Definition error", platform::MbOk);
        return -2;
    }
    items[count] = copy;
    return count++;
}

bool DefinitionList::removeDefinition(int pos) {
    if (pos < 0 || pos >= count) return false;
    delete items[pos];
    for (int i = pos; i < count - 1; ++i)
        items[i] = items[i + 1];
    items[--count] = nullptr;
    return true;
}

namespace {

// "%f" without the locale: six decimals and '.', unless that would not read back as the same
// multiplier (or would make an absurdly long line); then the shortest exact form.
std::string multiplierText(double multi) {
    // The loader makes an infinite multiplier of a number too large for a double; write one.
    if (std::isinf(multi)) return multi > 0 ? "1e999" : "-1e999";
    char text[400];
    auto [end, error] = std::to_chars(text, text + sizeof text, multi, std::chars_format::fixed, 6);
    if (error == std::errc()) {
        *end = '\0';
        if (end - text <= 32 && parseDecimalDouble(text) == multi) return std::string(text, end);
    }
    auto shortest = std::to_chars(text, text + sizeof text, multi);
    return std::string(text, shortest.ptr);
}

} // namespace

std::string definitionValue(const Definition& d) {
    char text[128];
    const char* invert = d.invert != 0 ? "c," : "";
    switch (formOf(d)) {
    case DefinitionForm::QpFlag:
        std::snprintf(text, sizeof text, "%s%d,%d", invert, d.qpOn, d.qpOff);
        return text;
    case DefinitionForm::PhFlag: {
        char bits[9];
        for (int i = 0; i < 8; ++i)
            bits[i] = (d.bitMask >> (7 - i)) & 1U ? '1' : '0';
        bits[8] = '\0';
        std::snprintf(text, sizeof text, "%s%d,%d,0b%s", invert, d.phNumber, d.phByte, bits);
        return text;
    }
    case DefinitionForm::AnalogValue:
        std::snprintf(text, sizeof text, "%d,%d,", d.phNumber, d.phByte);
        return text + multiplierText(d.multi) + "," + std::to_string(d.offset);
    case DefinitionForm::None:
        break;
    }
    return kDeletedDefinitionValue;
}

} // namespace gb
