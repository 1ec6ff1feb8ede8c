// glowbridge-lint --json: whatever bytes the definition file and its name hold, the report is one
// valid JSON value, and it holds what the loader left behind, also after a fault.

#include "tools/deflint/json_text.h"
#include "tools/deflint/lint.h"

#include "cockpit/element_catalog.h"
#include "json_check.h"
#include "support/child_process.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

namespace gb {
namespace {

using test::Json;
using test::JsonReader;

// What \u00XX decodes to: the byte's Latin-1 character in UTF-8.
std::string latin1(unsigned char byte) {
    std::string out;
    out += static_cast<char>(0xC0 | (byte >> 6));
    out += static_cast<char>(0x80 | (byte & 0x3F));
    return out;
}

Json readJson(const std::string& text) {
    Json json;
    std::string error;
    EXPECT_TRUE(JsonReader::parse(text, json, error)) << error << "\n" << text;
    return json;
}

std::string jsonString(std::string_view bytes) {
    std::string out;
    appendJsonString(out, bytes);
    return out;
}

TEST(LintJsonText, EveryByteMakesAValidStringThatReadsBack) {
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const std::string bytes = std::string("a") + c + "\"\\" + c;
        const Json json = readJson(jsonString(bytes));
        ASSERT_EQ(json.type, Json::String) << b;
        const std::string one =
            b < 0x80 ? std::string(1, c) : latin1(static_cast<unsigned char>(b));
        EXPECT_EQ(json.text, "a" + one + "\"\\" + one) << b;
    }
    // NUL and Ctrl-Z are written as escapes, never raw.
    EXPECT_EQ(jsonString(std::string_view("\0\x1A", 2)), "\"\\u0000\\u001a\"");
}

TEST(LintJsonText, WellFormedUtf8PassesAndEverythingElseIsEscaped) {
    // e acute, euro sign, an emoji: unchanged.
    const std::string good = "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    EXPECT_EQ(jsonString(good), "\"" + good + "\"");
    // Overlong NUL, a surrogate, beyond U+10FFFF, a sequence cut by the end, a lone continuation:
    // each byte on its own.
    for (const std::string bad :
         {"\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\x80", "\xF0\x9F\x98"}) {
        std::string expected;
        for (const char c : bad)
            expected += latin1(static_cast<unsigned char>(c));
        EXPECT_EQ(readJson(jsonString(bad)).text, expected) << jsonString(bad);
    }
    // Line and paragraph separators end a line in JavaScript.
    EXPECT_EQ(jsonString("\xE2\x80\xA8\xE2\x80\xA9"), "\"\\u2028\\u2029\"");
}

TEST(LintJsonText, NumbersReadBackExactlyAndNonFiniteOnesAreNamed) {
    for (const double value :
         {0.0, -0.0, 0.1, 1e-7, 0.5, -3.0, 1e300, -1e-300, std::numeric_limits<double>::max(),
          std::numeric_limits<double>::denorm_min(), static_cast<double>(INT_MIN),
          static_cast<double>(INT_MAX), 4294967295.0}) {
        std::string out;
        appendJsonNumber(out, value);
        const Json json = readJson(out);
        ASSERT_EQ(json.type, Json::Number) << out;
        EXPECT_EQ(json.number, value) << out;
        EXPECT_EQ(std::signbit(json.number), std::signbit(value)) << out;
    }
    const auto named = [](double value) {
        std::string out;
        appendJsonNumber(out, value);
        return readJson(out).text;
    };
    EXPECT_EQ(named(std::numeric_limits<double>::quiet_NaN()), "NaN");
    EXPECT_EQ(named(std::numeric_limits<double>::infinity()), "Infinity");
    EXPECT_EQ(named(-std::numeric_limits<double>::infinity()), "-Infinity");
}

class LintJson : public ::testing::Test {
protected:
    std::string put(const std::string& bytes, const std::string& name = "defs.ini") {
        const std::string path = folder.file(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    Json lint(const std::string& path, bool all = false) {
        report = lintDefinitionFile(path.c_str(), all, LintFormat::Json);
        Json json = readJson(report.output);
        EXPECT_EQ(json["result"].number, report.result);
        EXPECT_EQ(json["exitStatus"].number, report.exitStatus);
        EXPECT_EQ(json["everyFault"].boolean, all);
        for (const char* key :
             {"file", "byteOrderMark", "phLow", "phHigh", "definitions", "seen", "messages"})
            EXPECT_TRUE(json.has(key)) << key;
        return json;
    }

    test::TempFolder folder{"gb-lintjson"};
    LintReport report;
};

// Every field a definition has, and the value the list dialogs would write for it.
void expectDefinition(const Json& d, int line, const char* form, const char* value,
                      const char* group, const char* element) {
    SCOPED_TRACE(std::string(element) + " line " + std::to_string(line));
    EXPECT_EQ(d["line"].number, line);
    EXPECT_EQ(d["form"].text, form);
    EXPECT_EQ(d["value"].text, value);
    EXPECT_EQ(d["groupName"].text, group);
    EXPECT_EQ(d["elementName"].text, element);
    const int entry = findElement(findGroup(group), element);
    ASSERT_GE(entry, 0);
    EXPECT_EQ(d["elementIndex"].number, ElementCatalog[entry].elementIndex);
    EXPECT_EQ(d["kind"].number, ElementCatalog[entry].kind);
    EXPECT_EQ(d["reserved"].number, 0);
    EXPECT_EQ(d["lastValue"].number, 0);
    EXPECT_EQ(d.names.size(), 18u);
}

TEST_F(LintJson, GoodFileWithByteOrderMarkListsEveryField) {
    const std::string path = put("\xEF\xBB\xBF[Eyebrow Lights]\r\n"
                                 "MasterCaution=c,5,9\r\n"
                                 "@TFFail=3,1,0b00010000\r\n"
                                 "[Primary Data]\r\n"
                                 "KIAS=10,2,0.5,-3\r\n");
    const Json json = lint(path);
    EXPECT_EQ(json["file"].text, path);
    EXPECT_EQ(report.result, 3);
    EXPECT_EQ(report.exitStatus, 0);
    EXPECT_TRUE(json["byteOrderMark"].boolean);
    EXPECT_EQ(json["phLow"].number, 3);
    EXPECT_EQ(json["phHigh"].number, 10);
    EXPECT_TRUE(json["messages"].items.empty());

    const Json& defs = json["definitions"];
    ASSERT_EQ(defs.items.size(), 3u);
    expectDefinition(defs[0], 2, "qpFlag", "c,5,9", "Eyebrow Lights", "MasterCaution");
    EXPECT_EQ(defs[0]["invert"].number, 1);
    EXPECT_EQ(defs[0]["trace"].number, 0);
    EXPECT_EQ(defs[0]["qpOn"].number, 5);
    EXPECT_EQ(defs[0]["qpOff"].number, 9);
    EXPECT_EQ(defs[0]["phNumber"].number, -1);
    EXPECT_EQ(defs[0]["phByte"].number, -1);
    EXPECT_EQ(defs[0]["multi"].number, 1.0);

    expectDefinition(defs[1], 3, "phFlag", "3,1,0b00010000", "Eyebrow Lights", "TFFail");
    EXPECT_EQ(defs[1]["trace"].number, 1);
    EXPECT_EQ(defs[1]["qpOn"].number, -1);
    EXPECT_EQ(defs[1]["phNumber"].number, 3);
    EXPECT_EQ(defs[1]["phByte"].number, 1);
    EXPECT_EQ(defs[1]["bitMask"].number, 16);

    expectDefinition(defs[2], 5, "analogValue", "10,2,0.500000,-3", "Primary Data", "KIAS");
    EXPECT_EQ(defs[2]["multi"].number, 0.5);
    EXPECT_EQ(defs[2]["offset"].number, -3);

    const Json& seen = json["seen"];
    ASSERT_EQ(seen.items.size(), 3u);
    EXPECT_EQ(seen[0]["elementName"].text, "MasterCaution");
    EXPECT_EQ(seen[1]["elementName"].text, "TFFail");
    EXPECT_EQ(seen[2]["groupName"].text, "Primary Data");
    EXPECT_EQ(seen[2]["elementName"].text, "KIAS");
    EXPECT_EQ(seen[2]["elementIndex"].number, defs[2]["elementIndex"].number);
}

TEST_F(LintJson, FaultAfterGoodLinesKeepsWhatWasReadAndWhere) {
    const std::string path = put("[Eyebrow Lights]\n"
                                 "MasterCaution=5\n"
                                 "[Primary Data]\n"
                                 "KIAS=10,2\n"
                                 "Altitude=11,4\n"
                                 "Mach=12,0\n");
    const Json json = lint(path);
    EXPECT_EQ(report.result, -6);
    EXPECT_EQ(report.exitStatus, 6);
    ASSERT_EQ(json["definitions"].items.size(), 2u);
    EXPECT_EQ(json["definitions"][1]["elementName"].text, "KIAS");
    EXPECT_EQ(json["seen"].items.size(), 2u);
    // As they stand when the loader stopped: the faulty line widened nothing.
    EXPECT_EQ(json["phLow"].number, 10);
    EXPECT_EQ(json["phHigh"].number, 10);
    ASSERT_EQ(json["messages"].items.size(), 1u);
    const Json& message = json["messages"][0];
    EXPECT_EQ(message["caption"].text, "Definitionfile error");
    EXPECT_EQ(message["text"].text, "Illegal PH-byte 4 in line 5, PH-byte must between 0 and 3!");
    EXPECT_EQ(message["style"].number, 0);
    EXPECT_EQ(message["icon"].text, "none");
    EXPECT_EQ(message["line"].number, 5);

    // Going on: the later good line counts, every fault is listed with its line.
    const Json all = lint(path, true);
    EXPECT_EQ(report.result, -6);
    EXPECT_EQ(all["definitions"].items.size(), 3u);
    EXPECT_EQ(all["phHigh"].number, 12);
    ASSERT_EQ(all["messages"].items.size(), 1u);
    EXPECT_EQ(all["messages"][0]["line"].number, 5);
}

TEST_F(LintJson, BytesOfAnyKindStayValid) {
    using namespace std::string_literals;
    const std::string path = put("[Eyebrow Lights]\n"
                                 "MasterCaution=1\r2\n"       // CR inside a value
                                 "TFFail=3,1,0b1\0garbage\n"s // NUL ends what the loader sees
                                 "Mast\rer=5\n"               // CR inside a key
                                 "K\x01y\xE9\x22\\=5\n"       // control, Latin-1, quote, backslash
                                 "Ovrd=7\n"
                                 "\x1A" // Ctrl-Z ends the file
                                 "EngFire=9\n");
    const Json json = lint(path, true);
    EXPECT_EQ(report.result, -3);
    const Json& defs = json["definitions"];
    ASSERT_EQ(defs.items.size(), 3u);
    EXPECT_EQ(defs[0]["qpOn"].number, 1);
    EXPECT_EQ(defs[0]["value"].text, "1,2");
    EXPECT_EQ(defs[1]["bitMask"].number, 1);
    EXPECT_EQ(defs[2]["elementName"].text, "Ovrd");
    EXPECT_EQ(defs[2]["line"].number, 6);
    ASSERT_EQ(json["messages"].items.size(), 2u);
    EXPECT_EQ(json["messages"][0]["text"].text,
              "Illegal definition \"Mast\rer\" in section \"Eyebrow Lights\" in line 4!");
    EXPECT_EQ(json["messages"][1]["text"].text, "Illegal definition \"K\x01y" + latin1(0xE9) +
                                                    "\"\\\" in section \"Eyebrow Lights\" in "
                                                    "line 5!");
    EXPECT_EQ(json["messages"][1]["line"].number, 5);
}

TEST_F(LintJson, NumbersAtTheirLimits) {
    const std::string path = put("[Primary Data]\n"
                                 "KIAS=10,2,1e999,-2147483648\n"
                                 "Altitude=11,0,-1e999,2147483647\n"
                                 "Mach=12,1,nan,99999999999\n"
                                 "[Eyebrow Lights]\n"
                                 "TFFail=3,1,0xFFFFFFFF\n"
                                 "MasterCaution=2147483647\n"
                                 "Ovrd=-2147483648\n"
                                 "EngFire=254\n"
                                 "Engine=255\n");
    const Json json = lint(path, true);
    EXPECT_EQ(report.result, -5);
    const Json& defs = json["definitions"];
    ASSERT_EQ(defs.items.size(), 5u);
    EXPECT_EQ(defs[0]["multi"].text, "Infinity");
    EXPECT_EQ(defs[0]["offset"].number, INT_MIN);
    EXPECT_EQ(defs[0]["value"].text, "10,2,1e999,-2147483648");
    EXPECT_EQ(defs[1]["multi"].text, "-Infinity");
    EXPECT_EQ(defs[1]["offset"].number, INT_MAX);
    // "nan" holds no number, and a number beyond 32 bits is clamped as the C runtime does.
    EXPECT_EQ(defs[2]["multi"].number, 0.0);
    EXPECT_EQ(defs[2]["offset"].number, INT_MAX);
    EXPECT_EQ(defs[3]["bitMask"].number, 4294967295.0);
    EXPECT_EQ(defs[3]["bitMask"].text, "4294967295");
    EXPECT_EQ(defs[3]["value"].text, "3,1,0b11111111");
    ASSERT_EQ(json["messages"].items.size(), 3u);
    EXPECT_EQ(json["messages"][0]["text"].text,
              "Illegal QP# 2147483647 in line 7, QP# must between 0 and 255!");
    EXPECT_EQ(json["messages"][1]["text"].text,
              "Illegal QP# -2147483648 in line 8, QP# must between 0 and 255!");
    // The default QP(Off)# is QP(On)# + 1: 255 for 254, 256 for 255.
    EXPECT_EQ(defs[4]["value"].text, "254,255");
    EXPECT_EQ(json["messages"][2]["text"].text,
              "Illegal QP# 256 in line 10, QP# must between 0 and 255!");
}

TEST_F(LintJson, FilesThatGiveNoDefinitions) {
    // A name no file system holds, with every character JSON must escape.
    const std::string odd = folder.file("no\"such\\ \t\x01\xFF.ini");
    Json json = lint(odd);
    EXPECT_EQ(report.result, -2);
    EXPECT_EQ(json["file"].text, folder.file("no\"such\\ \t\x01") + latin1(0xFF) + ".ini");
    ASSERT_EQ(json["messages"].items.size(), 1u);
    EXPECT_EQ(json["messages"][0]["text"].text, "Can't find/open \"" + json["file"].text + "\"!");
    EXPECT_EQ(json["messages"][0]["line"].type, Json::Null);
    EXPECT_EQ(json["phLow"].number, 9999);
    EXPECT_EQ(json["phHigh"].number, -1);

    // A folder cannot be read on either build.
    const std::string dir = folder.file("folder.ini");
    std::filesystem::create_directory(dir);
    json = lint(dir);
    EXPECT_EQ(report.result, -2);
    EXPECT_EQ(report.exitStatus, 2);
    EXPECT_EQ(json["messages"][0]["text"].text, "Can't find/open \"" + dir + "\"!");

    // An empty file: the information box, about the whole file.
    json = lint(put("", "empty.ini"));
    EXPECT_EQ(report.result, 0);
    EXPECT_EQ(report.exitStatus, 9);
    EXPECT_TRUE(json["definitions"].items.empty());
    EXPECT_TRUE(json["seen"].items.empty());
    ASSERT_EQ(json["messages"].items.size(), 1u);
    const Json& message = json["messages"][0];
    EXPECT_EQ(message["text"].text, "No data to transfer, abort!");
    EXPECT_EQ(message["style"].number, 0x40);
    EXPECT_EQ(message["icon"].text, "information");
    EXPECT_EQ(message["line"].type, Json::Null);
    EXPECT_EQ(json["phLow"].number, 9999);
    EXPECT_EQ(json["phHigh"].number, -1);
}

// The program itself: --json with --all in either order, the report on standard output, the
// loader's exit status.
TEST_F(LintJson, ProgramPrintsTheReport) {
    const std::string path = put("[Eyebrow Lights]\nMasterCaution=5\nNoSuch=1\n");
    const LintReport expected = lintDefinitionFile(path.c_str(), true, LintFormat::Json);
    for (const auto& args : {std::vector<std::string>{"--json", "--all", path},
                             std::vector<std::string>{"--all", path, "--json"}}) {
        test::ChildProcess lintProgram;
        ASSERT_TRUE(lintProgram.start(test::hostPath(GB_LINT_EXE), args));
        std::string output;
        std::string line;
        while (lintProgram.readLine(line, 10000)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            output += line + "\n";
        }
        EXPECT_EQ(lintProgram.wait(10000), 3);
        EXPECT_EQ(output, expected.output);
        EXPECT_EQ(readJson(output)["definitions"].items.size(), 1u);
    }
}

} // namespace
} // namespace gb
