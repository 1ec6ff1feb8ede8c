#include "tools/deflint/lint.h"

#include "cockpit/definition_file.h"
#include "cockpit/element_catalog.h"
#include "platform/message_box.h"
#include "tools/deflint/json_text.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace gb {

namespace {

struct RecordedBox {
    std::string caption;
    std::string text;
    unsigned style;
    int line; // 0: the whole file
};

// Takes the place of the user: records each box the loader shows, with the line the loader is
// on, and presses its default button, so the report holds exactly what the program would have
// shown.
class RecordingBoxes : public platform::MessageBoxResponder {
public:
    explicit RecordingBoxes(const int& currentLine) : currentLine_(currentLine) {
        previous_ = platform::setMessageBoxResponder(this);
    }
    ~RecordingBoxes() override { platform::setMessageBoxResponder(previous_); }
    RecordingBoxes(const RecordingBoxes&) = delete;
    RecordingBoxes& operator=(const RecordingBoxes&) = delete;

    int answer(platform::WindowHandle, const char* text, const char* caption,
               unsigned style) override {
        boxes_.push_back(
            {caption != nullptr ? caption : "", text != nullptr ? text : "", style, currentLine_});
        return platform::defaultButton(style);
    }

    std::vector<RecordedBox>& boxes() { return boxes_; }

private:
    const int& currentLine_;
    platform::MessageBoxResponder* previous_ = nullptr;
    std::vector<RecordedBox> boxes_;
};

// Everything one run of the loader leaves behind.
struct LoaderRun {
    std::unique_ptr<DefinitionList> list = std::make_unique<DefinitionList>();
    std::vector<std::int32_t> lines = std::vector<std::int32_t>(DefinitionList::kCapacity, 0);
    std::vector<RecordedBox> boxes;
    bool byteOrderMark = false;
    int result = 0;
};

void runLoader(LoaderRun& run, const char* path, bool everyFault) {
    // The seen marks of this file alone (a test or tool may lint several).
    clearSeen();
    DefinitionParseOptions options;
    options.continueAfterError = everyFault;
    options.lineOfDefinition = run.lines.data();
    options.byteOrderMark = &run.byteOrderMark;
    int currentLine = 0;
    options.currentLine = &currentLine;
    RecordingBoxes boxes(currentLine);
    run.result = parseDefinitionFile(*run.list, path, nullptr, options);
    run.boxes = std::move(boxes.boxes());
}

const char* iconName(unsigned style) {
    switch (style & 0xF0) {
    case platform::MbIconInformation:
        return "information";
    case platform::MbIconError:
        return "error";
    case platform::MbIconWarning:
        return "warning";
    case platform::MbIconQuestion:
        return "question";
    default:
        return "none";
    }
}

std::string boxText(const RecordedBox& box) {
    std::string out = "message box \"" + box.caption + "\"";
    const unsigned icon = box.style & 0xF0;
    if (icon == platform::MbIconInformation || icon == platform::MbIconError ||
        icon == platform::MbIconWarning) {
        out += std::string(" (") + iconName(box.style) + " icon)";
    }
    out += ":\n    ";
    for (const char c : box.text) {
        out += c;
        if (c == '\n') out += "    ";
    }
    return out + "\n";
}

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

namespace {

std::string textReport(const LoaderRun& run, bool everyFault) {
    std::string out;
    if (run.byteOrderMark)
        out = "note: the file starts with a UTF-8 byte-order mark, which is skipped\n";
    for (const RecordedBox& box : run.boxes)
        out += boxText(box);
    if (everyFault && run.result < 0) {
        const std::size_t shown = run.boxes.size();
        out += std::to_string(shown) + " faulty line" + (shown == 1 ? "" : "s") + "\n";
    }
    if (run.result > 0) {
        const DefinitionList& list = *run.list;
        for (int i = 0; i < list.count; ++i)
            out += describe(*list.items[i], i, run.lines[i]);
        if (list.phHigh >= 0) {
            out += "Pigeon-holes sent: " + std::to_string(list.phLow) + "-" +
                   std::to_string(list.phHigh) + "\n";
        } else {
            out += "Pigeon-holes sent: none\n";
        }
        out += std::to_string(list.count) + " definition" + (list.count == 1 ? "" : "s") + "\n";
    }
    return out;
}

const char* formName(DefinitionForm form) {
    switch (form) {
    case DefinitionForm::QpFlag:
        return "qpFlag";
    case DefinitionForm::PhFlag:
        return "phFlag";
    case DefinitionForm::AnalogValue:
        return "analogValue";
    case DefinitionForm::None:
        break;
    }
    return "none";
}

// Small helpers so that each member reads as one line below. The report's own object has one
// member a line; the objects in its arrays take one line each.
struct JsonObject {
    std::string& out;
    bool multiline;
    bool first = true;

    explicit JsonObject(std::string& text, bool oneMemberALine = false)
        : out(text), multiline(oneMemberALine) {
        out += '{';
    }
    void key(const char* name) {
        if (multiline)
            out += first ? "\n  \"" : ",\n  \"";
        else
            out += first ? "\"" : ", \"";
        first = false;
        out += name;
        out += "\": ";
    }
    void string(const char* name, std::string_view value) {
        key(name);
        appendJsonString(out, value);
    }
    void integer(const char* name, long long value) {
        key(name);
        out += std::to_string(value);
    }
    void number(const char* name, double value) {
        key(name);
        appendJsonNumber(out, value);
    }
    void boolean(const char* name, bool value) {
        key(name);
        out += value ? "true" : "false";
    }
    void end() { out += multiline ? "\n}" : "}"; }
};

void appendDefinition(std::string& out, const Definition& d, int line) {
    JsonObject o(out);
    o.integer("line", line);
    o.string("form", formName(formOf(d)));
    o.string("value", definitionValue(d));
    o.integer("reserved", d.reserved);
    o.integer("trace", d.trace);
    o.integer("invert", d.invert);
    o.integer("kind", d.kind);
    o.integer("elementIndex", d.elementIndex);
    o.string("groupName", d.groupName);
    o.string("elementName", d.elementName);
    o.integer("qpOn", d.qpOn);
    o.integer("qpOff", d.qpOff);
    o.integer("phNumber", d.phNumber);
    o.integer("phByte", d.phByte);
    o.integer("bitMask", d.bitMask);
    o.number("multi", d.multi);
    o.integer("offset", d.offset);
    o.integer("lastValue", d.lastValue);
    o.end();
}

// Opens a member holding an array whose elements go one per line.
template <typename Each> void appendArray(JsonObject& o, const char* name, int count, Each each) {
    o.key(name);
    if (count == 0) {
        o.out += "[]";
        return;
    }
    o.out += "[\n";
    for (int i = 0; i < count; ++i) {
        o.out += "    ";
        each(i);
        o.out += i + 1 < count ? ",\n" : "\n";
    }
    o.out += "  ]";
}

std::string jsonReport(const LoaderRun& run, const char* path, bool everyFault) {
    const DefinitionList& list = *run.list;
    std::string out;
    JsonObject o(out, true);
    o.string("file", path != nullptr ? path : "");
    o.integer("result", run.result);
    o.integer("exitStatus", lintExitStatus(run.result));
    o.boolean("everyFault", everyFault);
    o.boolean("byteOrderMark", run.byteOrderMark);
    o.integer("phLow", list.phLow);
    o.integer("phHigh", list.phHigh);
    appendArray(o, "definitions", list.count,
                [&](int i) { appendDefinition(out, *list.items[i], run.lines[i]); });
    std::vector<int> seen;
    for (int i = 0; i < kCatalogElements; ++i)
        if (ElementCatalog[i].seen != 0) seen.push_back(i);
    appendArray(o, "seen", static_cast<int>(seen.size()), [&](int i) {
        const CatalogEntry& entry = ElementCatalog[seen[static_cast<std::size_t>(i)]];
        JsonObject e(out);
        e.string("groupName", groupOf(seen[static_cast<std::size_t>(i)]));
        e.string("elementName", entry.elementName);
        e.integer("elementIndex", entry.elementIndex);
        e.end();
    });
    appendArray(o, "messages", static_cast<int>(run.boxes.size()), [&](int i) {
        const RecordedBox& box = run.boxes[static_cast<std::size_t>(i)];
        JsonObject m(out);
        m.string("caption", box.caption);
        m.string("text", box.text);
        m.integer("style", box.style);
        m.string("icon", iconName(box.style));
        m.key("line");
        out += box.line > 0 ? std::to_string(box.line) : "null";
        m.end();
    });
    o.end();
    return out + "\n";
}

} // namespace

LintReport lintDefinitionFile(const char* path, bool everyFault, LintFormat format) {
    LoaderRun run;
    runLoader(run, path, everyFault);
    LintReport report;
    report.result = run.result;
    report.exitStatus = lintExitStatus(run.result);
    if (format == LintFormat::Json) {
        report.output = jsonReport(run, path, everyFault);
        return report;
    }
    report.output = textReport(run, everyFault) + "result " + std::to_string(report.result) +
                    ", exit status " + std::to_string(report.exitStatus) + "\n";
    return report;
}

} // namespace gb
