#include "engine/command_line.h"
#include "platform/program_arguments.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

using gb::CommandLine;

namespace {

CommandLine parsed(const std::string& raw) {
    CommandLine line;
    line.parse(raw.c_str());
    return line;
}

std::string value(const CommandLine& line, const char* name) {
    int start = -1;
    int length = -1;
    if (!line.findArgument(name, start, length)) return "<absent>";
    return std::string(line.text() + start, static_cast<std::size_t>(length));
}

std::string stringSwitch(const CommandLine& line, const char* name, int size = 260) {
    char buffer[260];
    std::memset(buffer, 'X', sizeof buffer);
    const int copied = line.getSwitchString(name, buffer, size, "Glowbridge.ini");
    EXPECT_EQ(copied, static_cast<int>(std::strlen(buffer)));
    return buffer;
}

} // namespace

TEST(CommandLineParse, NormalisesBlanksOutsideQuotesOnly) {
    CommandLine line;
    EXPECT_EQ(line.length(), 0);
    EXPECT_STREQ(line.text(), "");

    line.parse(" \t  /debug \t\t /dev=3   ");
    EXPECT_STREQ(line.text(), "/debug /dev=3 ");
    EXPECT_EQ(line.length(), 14);

    // Inside quotes blanks stay, and a tab there still becomes a blank.
    line.parse("/ini=\"C:\\my  \tdir\\x.ini\"   rest");
    EXPECT_STREQ(line.text(), "/ini=\"C:\\my   dir\\x.ini\" rest");

    // An unclosed quote keeps every later blank.
    line.parse("\"a   b");
    EXPECT_STREQ(line.text(), "\"a   b");

    // Parsing again replaces the text; null is empty.
    line.parse(nullptr);
    EXPECT_STREQ(line.text(), "");
    EXPECT_EQ(line.length(), 0);
}

TEST(CommandLineParse, CutsAt9999Characters) {
    const std::string exact(9999, 'a');
    EXPECT_EQ(parsed(exact).length(), 9999);
    CommandLine line = parsed(std::string(9998, 'a') + "/debug");
    EXPECT_EQ(line.length(), 9999);
    EXPECT_EQ(std::strlen(line.text()), 9999u);
    EXPECT_EQ(line.text()[9998], '/');
    EXPECT_FALSE(line.hasSwitch("/debug", false));
    // Dropped blanks do not count towards the limit.
    EXPECT_TRUE(parsed(std::string(20000, ' ') + "/debug").hasSwitch("/debug", false));
    EXPECT_TRUE(parsed(std::string(20000, '\t') + "/debug").hasSwitch("/debug", false));
}

TEST(CommandLineFind, SwitchNamesCompareWholeAndIgnoringCase) {
    const CommandLine line = parsed("file.txt /device=3 /DEBUG -Ini=a.ini /dev=7 /dev=8");
    EXPECT_EQ(value(line, "/dev"), "7"); // not /device, and the leftmost match wins
    EXPECT_EQ(value(line, "/device"), "3");
    EXPECT_EQ(value(line, "/debug"), "");
    EXPECT_EQ(value(line, "/ini"), "a.ini");
    EXPECT_EQ(value(line, "-INI"), "a.ini");
    EXPECT_EQ(value(line, "ini"), "a.ini");
    EXPECT_EQ(value(line, "/de"), "<absent>");
    EXPECT_EQ(value(line, "/file.txt"), "<absent>"); // not a switch
    EXPECT_EQ(value(line, "/"), "<absent>");
    EXPECT_EQ(value(parsed("/ -"), "/"), ""); // a lone "/" is a switch with an empty name
}

TEST(CommandLineFind, QuotedArgumentsAndValues) {
    const CommandLine line = parsed("/ini=\"C:\\my path\\x.ini\" \"/dev=4 5\" \"-debug\" /a=\"\"");
    EXPECT_EQ(value(line, "/ini"), "C:\\my path\\x.ini");
    EXPECT_EQ(value(line, "/dev"), "4 5");
    EXPECT_EQ(value(line, "/debug"), "");
    EXPECT_EQ(value(line, "/a"), "");
    // A quoted blank does not split; the quote opening the value is dropped, inner ones stay.
    EXPECT_EQ(value(parsed("/x=a\" \"b"), "/x"), "a\" \"b");
    EXPECT_EQ(value(parsed("\"/x=\"\"y\""), "/x"), "\"y");
    EXPECT_EQ(value(parsed("\""), "/x"), "<absent>");
    EXPECT_EQ(value(parsed("\"\" /x"), "/x"), "");
}

TEST(CommandLineFind, BytesOtherThanTextPassThrough) {
    const CommandLine line = parsed("/ini=\xEF\xBB\xBF"
                                    "a\x1A.ini /dev=\r5");
    EXPECT_EQ(value(line, "/ini"), "\xEF\xBB\xBF"
                                   "a\x1A.ini");
    EXPECT_EQ(line.getSwitchInt("/dev", -1), 5); // CR is white space to a number reader
    // A byte-order mark in front of the switch makes it an ordinary argument.
    EXPECT_FALSE(parsed("\xEF\xBB\xBF/debug").hasSwitch("/debug", false));
}

TEST(CommandLineSwitches, HasSwitchCountsPresenceOnly) {
    EXPECT_TRUE(parsed("/debug=0").hasSwitch("/debug", false));
    EXPECT_TRUE(parsed("-Debug").hasSwitch("/debug", false));
    EXPECT_FALSE(parsed("/debugx").hasSwitch("/debug", false));
    EXPECT_TRUE(parsed("").hasSwitch("/debug", true));
    EXPECT_FALSE(parsed("debug").hasSwitch("/debug", false));
}

TEST(CommandLineSwitches, GetSwitchIntReadsLikeAtoi) {
    struct Case {
        const char* args;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"/DEV=3", 3},
        {"/dev", 0},
        {"/dev=", 0},
        {"/dev=abc", 0},
        {"/dev=12abc", 12},
        {"/dev=-7", -7},
        {"/dev=+8", 8},
        {"/dev=\" 42\"", 42},
        {"/dev=\"\t-42\"", -42}, // the tab became a blank
        {"/dev=- 1", 0},
        {"/dev=0x10", 0},
        {"/dev=1e3", 1},
        {"/dev=nan", 0},
        {"/dev=inf", 0},
        {"/dev=2147483647", INT_MAX},
        {"/dev=-2147483648", INT_MIN},
        {"/dev=2147483648", INT_MAX},
        {"/dev=-2147483649", INT_MIN},
        {"/dev=99999999999999999999999", INT_MAX},
        {"/dev=-99999999999999999999999", INT_MIN},
        {"/dev=000000000000000000000000255", 255},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parsed(c.args).getSwitchInt("/dev", 255), c.expected) << c.args;
    EXPECT_EQ(parsed("").getSwitchInt("/dev", 255), 255);
    EXPECT_EQ(parsed("/device=3").getSwitchInt("/dev", INT_MIN), INT_MIN);
    EXPECT_EQ(parsed("/x").getSwitchInt("/dev", INT_MAX), INT_MAX);
}

TEST(CommandLineSwitches, GetSwitchStringValueNameOrDefault) {
    EXPECT_EQ(stringSwitch(parsed("/ini=my.ini"), "/ini"), "my.ini");
    EXPECT_EQ(stringSwitch(parsed("/ini"), "/ini"), "ini");
    EXPECT_EQ(stringSwitch(parsed("-INI="), "/ini"), "ini");
    EXPECT_EQ(stringSwitch(parsed("/ini=\"\""), "/ini"), "ini");
    EXPECT_EQ(stringSwitch(parsed("/debug"), "/ini"), "Glowbridge.ini");
    EXPECT_EQ(stringSwitch(parsed("/ini=\"C:\\a b\\c.ini\""), "/ini"), "C:\\a b\\c.ini");

    // Cut to the buffer with its terminator.
    EXPECT_EQ(stringSwitch(parsed("/ini=abcdef"), "/ini", 4), "abc");
    EXPECT_EQ(stringSwitch(parsed("/ini"), "/ini", 3), "in");
    EXPECT_EQ(stringSwitch(parsed(""), "/ini", 5), "Glow");
    EXPECT_EQ(stringSwitch(parsed("/ini=x"), "/ini", 1), "");
    char untouched[2] = {'Q', '\0'};
    EXPECT_EQ(parsed("/ini=x").getSwitchString("/ini", untouched, 0, "d"), 0);
    EXPECT_EQ(untouched[0], 'Q');
    char buffer[8];
    EXPECT_EQ(parsed("").getSwitchString("/ini", buffer, sizeof buffer, nullptr), 0);
    EXPECT_STREQ(buffer, "");

    // A full-length value, cut to a 260-byte buffer as start-up reads "/ini".
    const CommandLine longLine = parsed(std::string("/ini=").append(9994, 'p'));
    EXPECT_EQ(stringSwitch(longLine, "/ini"), std::string(259, 'p'));
}

TEST(CommandLineGlobal, OneObjectEmptyUntilParsed) {
    EXPECT_EQ(&gb::programCommandLine(), &gb::programCommandLine());
}

TEST(ProgramArguments, SkipsTheProgramNameAsTheStartUpCodeDoes) {
    using gb::platform::skipProgramName;
    EXPECT_STREQ(skipProgramName("\"C:\\Program Files\\Glowbridge\\Glowbridge.exe\" /ini=x"),
                 "/ini=x");
    EXPECT_STREQ(skipProgramName("\"C:\\Program Files\\Glowbridge.exe\""), "");
    EXPECT_STREQ(skipProgramName("\"C:\\Program Files\\G.exe\"/debug"), "/debug");
    EXPECT_STREQ(skipProgramName("C:\\Glowbridge\\Glowbridge.exe \t /debug  /dev=3 "),
                 "/debug  /dev=3 ");
    // Only a leading quote groups: an unquoted name ends at its first blank, as on Windows.
    EXPECT_STREQ(skipProgramName("C:\\\"Program Files\"\\G.exe /x"), "Files\"\\G.exe /x");
    EXPECT_STREQ(skipProgramName("Glowbridge.exe"), "");
    EXPECT_STREQ(skipProgramName("\"C:\\unclosed quote\\G.exe /x"), "");
    EXPECT_STREQ(skipProgramName("C:\\Gl\xC3\xB6wbridge.exe /x"), "/x");
    EXPECT_STREQ(skipProgramName(""), "");
    EXPECT_STREQ(skipProgramName(nullptr), "");
}

TEST(ProgramArguments, JoinsArgumentsQuotingBlanks) {
    using gb::platform::joinArguments;
    const char* argv[] = {
        "/opt/my programs/glowbridge", "/ini=my settings.ini", "/debug", "tab\there", "", "/dev=3"};
    EXPECT_EQ(joinArguments(6, argv), "\"/ini=my settings.ini\" /debug \"tab\there\" \"\" /dev=3");
    EXPECT_EQ(joinArguments(1, argv), "");
    EXPECT_EQ(joinArguments(0, nullptr), "");

    // Through the command line the quoted argument keeps its blank.
    CommandLine line;
    line.parse(joinArguments(6, argv).c_str());
    EXPECT_EQ(stringSwitch(line, "/ini"), "my settings.ini");
    EXPECT_EQ(line.getSwitchInt("/dev", 255), 3);
}

TEST(ProgramArguments, TheProcessArgumentsLeaveTheProgramOut) {
    // Natively the arguments are what main handed over; on Windows the process's own command
    // line, whose program name (this test's path) must not show.
    char program[] = "/usr/bin/glowbridge";
    char first[] = "/debug";
    char second[] = "/ini=a b.ini";
    char* argv[] = {program, first, second, nullptr};
    gb::platform::setProgramArguments(3, argv);
    const std::string arguments = gb::platform::programArguments();
    EXPECT_EQ(arguments.find("engine_test"), std::string::npos) << arguments;
    EXPECT_EQ(arguments.find("glowbridge"), std::string::npos) << arguments;
    EXPECT_TRUE(arguments == "/debug \"/ini=a b.ini\"" || arguments.rfind("--gtest", 0) == 0 ||
                arguments.empty())
        << arguments;
    gb::platform::setProgramArguments(0, nullptr);
}
