#include "tools/deflint/lint.h"

#include "cockpit/definition_file.h"
#include "platform/message_box.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <vector>

namespace gb {

namespace {

// Takes the place of the user: records each box the loader shows and presses its default button,
// so the report holds exactly what the program would have shown.
class RecordingBoxes : public platform::MessageBoxResponder {
public:
    RecordingBoxes() { previous_ = platform::setMessageBoxResponder(this); }
    ~RecordingBoxes() override { platform::setMessageBoxResponder(previous_); }
    RecordingBoxes(const RecordingBoxes&) = delete;
    RecordingBoxes& operator=(const RecordingBoxes&) = delete;

    int answer(platform::WindowHandle, const char* text, const char* caption,
               unsigned style) override {
        std::string& out = report_;
        out += "message box \"";
        out += caption != nullptr ? caption : "";
        out += "\"";
        if ((style & 0xF0) == platform::MbIconInformation) out += " (information icon)";
        if ((style & 0xF0) == platform::MbIconError) out += " (error icon)";
        if ((style & 0xF0) == platform::MbIconWarning) out += " (warning icon)";
        out += ":\n    ";
        for (const char* p = text != nullptr ? text : ""; *p != '\0'; ++p) {
            out += *p;
            if (*p == '\n') out += "    ";
        }
        out += "\n";
        ++shown_;
        return platform::defaultButton(style);
    }

    const std::string& report() const { return report_; }
    int shown() const { return shown_; }

private:
    platform::MessageBoxResponder* previous_ = nullptr;
    std::string report_;
    int shown_ = 0;
};

std::string shortest(double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string describe(const Definition& d, int position, int line) {
    char text[256];
    const int n = std::snprintf(text, sizeof text, "#%d line %d: %s / %s: ", position + 1, line,
                                d.groupName, d.elementName);
    std::string out(text, n > 0 ? static_cast<std::size_t>(n) : 0);
    switch (formOf(d)) {
    case DefinitionForm::QpFlag:
        std::snprintf(text, sizeof text, "QP flag, QP# on %d, off %d", d.qpOn, d.qpOff);
        out += text;
        break;
    case DefinitionForm::PhFlag: {
        char bits[9];
        for (int i = 0; i < 8; ++i)
            bits[i] = (d.bitMask >> (7 - i)) & 1U ? '1' : '0';
        bits[8] = '\0';
        std::snprintf(text, sizeof text, "PH flag, PH# %d, byte %d, mask 0x%08X (byte bits 0b%s)",
                      d.phNumber, d.phByte, static_cast<unsigned>(d.bitMask), bits);
        out += text;
        break;
    }
    case DefinitionForm::AnalogValue:
        std::snprintf(text, sizeof text, "analog value, PH# %d, byte %d, multi ", d.phNumber,
                      d.phByte);
        out += text + shortest(d.multi) + ", offset " + std::to_string(d.offset);
        break;
    case DefinitionForm::None:
        out += "no output";
        break;
    }
    std::snprintf(text, sizeof text, ", trace %d, invert %d\n", d.trace, d.invert);
    return out + text;
}

} // namespace

int lintExitStatus(int loaderResult) {
    if (loaderResult > 0) return 0;
    if (loaderResult == 0) return 9;
    return -loaderResult;
}

LintReport lintDefinitionFile(const char* path, bool everyFault) {
    LintReport report;
    auto list = std::make_unique<DefinitionList>();
    std::vector<std::int32_t> lines(DefinitionList::kCapacity, 0);
    DefinitionParseOptions options;
    options.continueAfterError = everyFault;
    options.lineOfDefinition = lines.data();
    bool byteOrderMark = false;
    options.byteOrderMark = &byteOrderMark;
    {
        RecordingBoxes boxes;
        report.result = parseDefinitionFile(*list, path, nullptr, options);
        if (byteOrderMark)
            report.output =
                "note: the file starts with a UTF-8 byte-order mark, which is skipped\n";
        report.output += boxes.report();
        if (everyFault && report.result < 0) {
            report.output += std::to_string(boxes.shown()) + " faulty line" +
                             (boxes.shown() == 1 ? "" : "s") + "\n";
        }
    }
    if (report.result > 0) {
        for (int i = 0; i < list->count; ++i)
            report.output += describe(*list->items[i], i, lines[i]);
        if (list->phHigh >= 0) {
            report.output += "Pigeon-holes sent: " + std::to_string(list->phLow) + "-" +
                             std::to_string(list->phHigh) + "\n";
        } else {
            report.output += "Pigeon-holes sent: none\n";
        }
        report.output +=
            std::to_string(list->count) + " definition" + (list->count == 1 ? "" : "s") + "\n";
    }
    report.exitStatus = lintExitStatus(report.result);
    report.output += "result " + std::to_string(report.result) + ", exit status " +
                     std::to_string(report.exitStatus) + "\n";
    return report;
}

} // namespace gb
