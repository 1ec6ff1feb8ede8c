#include "cockpit/definition_file.h"

#include "cockpit/element_catalog.h"
#include "support/scripted_message_boxes.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <string>

namespace gb {
namespace {

using platform::MbIconInformation;
using platform::MbOk;

struct Parsed {
    DefinitionList list;
    test::ScriptedMessageBoxes boxes;
    int result = 0;
    std::int32_t lines[DefinitionList::kCapacity] = {};

    const Definition& at(int i) const { return *list.items[i]; }
    std::string message() const { return boxes.shown().empty() ? "" : boxes.shown()[0].text; }
};

void parse(Parsed& p, const std::string& text, bool continueAfterError = false) {
    clearSeen();
    DefinitionParseOptions options;
    options.continueAfterError = continueAfterError;
    options.lineOfDefinition = p.lines;
    p.result = parseDefinitionText(p.list, text.data(), text.size(), nullptr, options);
}

void expectOneBox(const Parsed& p, const std::string& text,
                  const char* caption = "Definitionfile error", unsigned style = MbOk) {
    ASSERT_EQ(p.boxes.shown().size(), 1u);
    EXPECT_EQ(p.boxes.shown()[0].text, text);
    EXPECT_EQ(p.boxes.shown()[0].caption, caption);
    EXPECT_EQ(p.boxes.shown()[0].style, style);
}

TEST(DefinitionFile, ReadsTheThreeFormsWithDefaults) {
    Parsed p;
    parse(p, "[eyebrow LIGHTS]\n"
             "MasterCaution = 5\n"
             "mastercaution=c,5,9\n"
             "TFFail=C,3,1,0b00010000\n"
             "[Primary Data]\n"
             "KIAS=10,2,0.5,-3\n");
    ASSERT_EQ(p.result, 4);
    EXPECT_TRUE(p.boxes.shown().empty());

    const Definition& qp = p.at(0);
    EXPECT_EQ(formOf(qp), DefinitionForm::QpFlag);
    EXPECT_STREQ(qp.groupName, "Eyebrow Lights");
    EXPECT_STREQ(qp.elementName, "MasterCaution");
    EXPECT_EQ(qp.qpOn, 5);
    EXPECT_EQ(qp.qpOff, 6);
    EXPECT_EQ(qp.phNumber, -1);
    EXPECT_EQ(qp.invert, 0);
    EXPECT_EQ(qp.multi, 1.0);

    EXPECT_EQ(p.at(1).qpOn, 5);
    EXPECT_EQ(p.at(1).qpOff, 9);
    EXPECT_EQ(p.at(1).invert, 1);

    const Definition& ph = p.at(2);
    EXPECT_EQ(formOf(ph), DefinitionForm::PhFlag);
    EXPECT_EQ(ph.elementIndex, 1);
    EXPECT_EQ(ph.invert, 1);
    EXPECT_EQ(ph.qpOn, -1);
    EXPECT_EQ(ph.phNumber, 3);
    EXPECT_EQ(ph.phByte, 1);
    EXPECT_EQ(ph.bitMask, 0x10u);

    const Definition& kias = p.at(3);
    EXPECT_EQ(formOf(kias), DefinitionForm::AnalogValue);
    EXPECT_EQ(kias.kind, DefinitionAnalog);
    EXPECT_STREQ(kias.elementName, "KIAS");
    EXPECT_EQ(kias.trace, 0);
    EXPECT_EQ(kias.multi, 0.5);
    EXPECT_EQ(kias.offset, -3);
    EXPECT_EQ(p.at(4 - 1).qpOff, -1);
    EXPECT_EQ(p.list.phLow, 3);
    EXPECT_EQ(p.list.phHigh, 10);
    EXPECT_EQ(p.lines[3], 6);
}

TEST(DefinitionFile, TraceMarkerAndAnalogDefaults) {
    Parsed p;
    parse(p, "[Primary Data]\n@@kias@=11,0\nKIAS=10,2\n");
    ASSERT_EQ(p.result, 2);
    EXPECT_EQ(p.at(0).trace, 1);
    EXPECT_STREQ(p.at(0).elementName, "KIAS");
    EXPECT_EQ(p.at(1).trace, 0);
    EXPECT_EQ(p.at(1).multi, 1.0);
    EXPECT_EQ(p.at(1).offset, 0);
    EXPECT_EQ(p.list.phLow, 10);
    EXPECT_EQ(p.list.phHigh, 11);
}

// Each definition keeps the header text and key text that the INI writer will find its line by:
// the file's case, the trace marker, indentation and blanks before "=", up to a control character.
TEST(DefinitionFile, KeepsTheSpellingTheWriterFindsTheLineBy) {
    Parsed p;
    parse(p, "[eyebrow LIGHTS] # the writer reads the name up to \"]\"\n"
             "@mastercaution =5\n"
             "  TFFail\t= 3,1,16\n"
             "\tOvrd=1\n"
             "[Primary Data\n"
             "KIAS=10,2\n"
             "  [Secondary Data]\n"
             "RPM=11,0\n"
             "[Eyebrow Lights]\n"
             "EngFire=2\n");
    ASSERT_EQ(p.result, 6);
    EXPECT_STREQ(p.at(0).fileSection, "eyebrow LIGHTS");
    EXPECT_STREQ(p.at(0).fileKey, "@mastercaution ");
    EXPECT_STREQ(writeSectionOf(p.at(0)), "eyebrow LIGHTS");
    EXPECT_STREQ(writeKeyOf(p.at(0)), "@mastercaution ");
    EXPECT_STREQ(p.at(1).fileKey, "  TFFail");
    // A key the writer cannot match (it stops at the tab at once) falls back to the catalogue.
    EXPECT_STREQ(p.at(2).fileKey, "");
    EXPECT_STREQ(writeSectionOf(p.at(2)), "Eyebrow Lights");
    EXPECT_STREQ(writeKeyOf(p.at(2)), "Ovrd");
    // Headers the writer does not see as headers: no "]", or not in the first column.
    EXPECT_STREQ(p.at(3).fileSection, "");
    EXPECT_STREQ(writeSectionOf(p.at(3)), "Primary Data");
    EXPECT_STREQ(writeKeyOf(p.at(3)), "KIAS");
    EXPECT_STREQ(p.at(4).fileSection, "");
    EXPECT_STREQ(writeSectionOf(p.at(4)), "Secondary Data");
    EXPECT_STREQ(p.at(5).fileSection, "Eyebrow Lights");
    EXPECT_STREQ(p.at(5).fileKey, "EngFire");

    // A definition that never came from the file is written as the catalogue spells it.
    Definition added;
    added.groupName = "Eyebrow Lights";
    added.elementName = "MasterCaution";
    EXPECT_STREQ(writeSectionOf(added), "Eyebrow Lights");
    EXPECT_STREQ(writeKeyOf(added), "MasterCaution");
}

TEST(DefinitionFile, IgnoresLinesSilently) {
    Parsed p;
    parse(p, "MasterCaution=1\n"                 // before any section
             "[Settings]\nMasterCaution=1\n"     // unknown section
             "[ Caution Lights ]\nFlcsFault=1\n" // blanks make it unknown
             "[Eyebrow Lights] trailing text\n"
             "# comment\n"
             "   \t \n"
             "MasterCaution\n"
             "MasterCaution=\n"
             "MasterCaution= # only a comment\n"
             "=5\n"
             "@@=5\n"
             "; MasterCaution=5\n" // ";" is no comment: key "; MasterCaution" would be unknown,
             "");
    // ...so the last line is an error; everything before it was ignored.
    EXPECT_EQ(p.result, -3);
    expectOneBox(
        p, "Illegal definition \"; MasterCaution\" in section \"Eyebrow Lights\" in line 14!");
    EXPECT_EQ(p.list.count, 0);
}

TEST(DefinitionFile, KeyMustEndWithinSixtyFourCharacters) {
    Parsed p;
    // Blanks would be trimmed off the line first; "@" markers stay until the key is cut.
    const std::string key63 = std::string(50, '@') + "MasterCaution";
    const std::string key64 = std::string(51, '@') + "MasterCaution";
    parse(p, "[Eyebrow Lights]\n" + key63 + "=1\n" + key64 + "=2\n");
    ASSERT_EQ(p.result, 1);
    EXPECT_EQ(p.at(0).qpOn, 1);
    EXPECT_EQ(p.at(0).trace, 1);
}

TEST(DefinitionFile, EachFaultShowsItsMessageAndCode) {
    struct Case {
        const char* body;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {"[Eyebrow Lights]\nNoSuch=1\n", -3,
         "Illegal definition \"NoSuch\" in section \"Eyebrow Lights\" in line 2!"},
        {"[Eyebrow Lights]\nMasterCaution=c\n", -4,
         "\"MasterCaution\" in line 2 is an flag and he must have one of the following syntax:\n"
         "\tMasterCaution=QP(On)#[,QP(Off)#]\n\tMasterCaution=PH#,Index#,Bit"},
        {"[Eyebrow Lights]\nmastercaution=1,2,3,4\n", -4,
         "\"mastercaution\" in line 2 is an flag and he must have one of the following syntax:\n"
         "\tmastercaution=QP(On)#[,QP(Off)#]\n\tmastercaution=PH#,Index#,Bit"},
        {"[Eyebrow Lights]\nMasterCaution=-1,300\n", -5,
         "Illegal QP# -1 in line 2, QP# must between 0 and 255!"},
        {"[Eyebrow Lights]\nMasterCaution=2147483647\n", -5,
         "Illegal QP# 2147483647 in line 2, QP# must between 0 and 255!"},
        {"[Eyebrow Lights]\nMasterCaution=0x100000000\n", -5,
         "Illegal QP# -1 in line 2, QP# must between 0 and 255!"},
        {"[Eyebrow Lights]\nTFFail=3,4,1\n", -6,
         "Illegal PH-byte 4 in line 2, PH-byte must between 0 and 3!"},
        {"[Primary Data]\nKIAS=10\n", -7,
         "\"KIAS\" in line 2 is an analog value and he must have the following syntax:\n"
         "\tKIAS=PH#,Index#[,Multi[,Offset]]"},
        {"[Primary Data]\nKIAS=c,10,1\n", -6, // no "c" form: "c" reads as PH# 0, then byte 10
         "Illegal PH-byte 10 in line 2, PH-byte must between 0 and 3!"},
        {"[Primary Data]\nKIAS=-1,0\n", -6,
         "Illegal PH# -1 in line 2, PH# must between 0 and 255!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        Parsed p;
        parse(p, c.body);
        EXPECT_EQ(p.result, c.code);
        expectOneBox(p, c.text);
        EXPECT_EQ(p.list.count, 0);
    }
}

TEST(DefinitionFile, StopsAtFirstFaultKeepingEarlierDefinitionsAndSeenMarks) {
    Parsed p;
    parse(p, "[Eyebrow Lights]\nMasterCaution=1\nTFFail=3,9,1\nOvrd=4\n");
    EXPECT_EQ(p.result, -6);
    EXPECT_EQ(p.list.count, 1);
    EXPECT_EQ(ElementCatalog[0].seen, 1);
    EXPECT_EQ(ElementCatalog[1].seen, 0); // the faulty line binds nothing
    EXPECT_EQ(ElementCatalog[2].seen, 0); // never read
    EXPECT_EQ(p.list.phHigh, -1);
}

TEST(DefinitionFile, LongLinesAreReadInNumberedPiecesOf1023) {
    // A piece that starts inside a long line is a line of its own.
    Parsed p;
    parse(p, "[Eyebrow Lights]\n" + std::string(1023, ' ') + "MasterCaution=7\n");
    ASSERT_EQ(p.result, 1);
    EXPECT_EQ(p.at(0).qpOn, 7);
    EXPECT_EQ(p.lines[0], 3);
}

TEST(DefinitionFile, ReadsInWindowsTextModeOnEveryBuild) {
    // CR LF counts as one character, so 1022 characters plus CR LF fill exactly one piece.
    const std::string filler = "#" + std::string(1021, 'x');
    Parsed p;
    parse(p, "[Eyebrow Lights]\r\n" + filler + "\r\nNoSuch=1\r\n");
    EXPECT_EQ(p.result, -3);
    EXPECT_EQ(p.message(),
              "Illegal definition \"NoSuch\" in section \"Eyebrow Lights\" in line 3!");

    // A lone CR is an ordinary character (trimmed at the ends); Ctrl-Z ends the file.
    Parsed q;
    parse(q, "[Eyebrow Lights]\r\nMasterCaution=4\r\r\n\x1A"
             "NoSuch=1\n");
    ASSERT_EQ(q.result, 1);
    EXPECT_EQ(q.at(0).qpOn, 4);
}

TEST(DefinitionFile, FileEntryReportsMissingPathAndFile) {
    DefinitionList list;
    test::ScriptedMessageBoxes boxes;
    EXPECT_EQ(parseDefinitionFile(list, ""), -1);
    EXPECT_EQ(parseDefinitionFile(list, nullptr), -1);
    const std::string missing = test::dataPath("definitions/does-not-exist.ini");
    EXPECT_EQ(parseDefinitionFile(list, missing.c_str()), -2);
    ASSERT_EQ(boxes.shown().size(), 3u);
    EXPECT_EQ(boxes.shown()[0].text, "No configuration file!");
    EXPECT_EQ(boxes.shown()[0].caption, "Definitionfile error");
    EXPECT_EQ(boxes.shown()[2].text, "Can't find/open \"" + missing + "\"!");
}

} // namespace
} // namespace gb
