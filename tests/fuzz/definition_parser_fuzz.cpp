// Feeds arbitrary bytes to the definition file loader, both stopping at the first fault and going
// on past every fault, and checks that each accepted definition's written value reads back to the
// same binding.

#include "cockpit/definition_file.h"
#include "platform/message_box.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

class SilentBoxes : public gb::platform::MessageBoxResponder {
public:
    int answer(gb::platform::WindowHandle, const char*, const char*, unsigned style) override {
        return gb::platform::defaultButton(style);
    }
};

void checkWrittenValue(const gb::Definition& d) {
    const std::string file = std::string("[") + d.groupName + "]\n" + d.elementName + "=" +
                             gb::definitionValue(d) + "\n";
    gb::DefinitionList again;
    if (gb::parseDefinitionText(again, file.data(), file.size()) != 1) __builtin_trap();
    const gb::Definition& r = *again.items[0];
    if (gb::formOf(r) != gb::formOf(d) || r.invert != d.invert || r.qpOn != d.qpOn ||
        r.qpOff != d.qpOff || r.phNumber != d.phNumber || r.phByte != d.phByte ||
        (r.bitMask & 0xFF) != (d.bitMask & 0xFF) || r.multi != d.multi || r.offset != d.offset ||
        r.elementIndex != d.elementIndex)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static SilentBoxes boxes;
    static const bool installed = (gb::platform::setMessageBoxResponder(&boxes), true);
    (void)installed;
    const char* text = reinterpret_cast<const char*>(data);

    gb::DefinitionList first;
    const int result = gb::parseDefinitionText(first, text, size);
    if (result > gb::DefinitionList::kCapacity || result < -8) __builtin_trap();

    std::int32_t lines[gb::DefinitionList::kCapacity] = {};
    gb::DefinitionParseOptions options;
    options.continueAfterError = true;
    options.lineOfDefinition = lines;
    gb::DefinitionList every;
    const int all = gb::parseDefinitionText(every, text, size, nullptr, options);
    // Going on past faults never loses what the first fault stopped at.
    if (every.count < first.count || (result >= 0 && all != result)) __builtin_trap();
    for (int i = 0; i < every.count; ++i) {
        if (lines[i] < 1 || (i > 0 && lines[i] <= lines[i - 1])) __builtin_trap();
        checkWrittenValue(*every.items[i]);
    }
    return 0;
}
