#include "ui/resource.h"
#include "ui/tray_input.h"

#include <gtest/gtest.h>

#include <string>

using gb::ui::parseTrayInput;
using gb::ui::TrayInput;
using Kind = gb::ui::TrayInput::Kind;

namespace {

void expectCommand(std::string_view line, unsigned command) {
    TrayInput input = parseTrayInput(line);
    EXPECT_EQ(input.kind, Kind::Command) << '"' << line << '"';
    EXPECT_EQ(input.command, command) << '"' << line << '"';
}

void expectKind(std::string_view line, Kind kind) {
    EXPECT_EQ(parseTrayInput(line).kind, kind) << '"' << line << '"';
}

} // namespace

TEST(TrayInput, MenuItemsByTextNameSymbolAndNumber) {
    for (const char* line : {"Start transfer", "start transfer", "&Start transfer", "START",
                             "ID_TRANSFER_START", "id_transfer_start", "32772"}) {
        expectCommand(line, ID_TRANSFER_START);
    }
    for (const char* line : {"About Glowbridge...", "about glowbridge", "about", "57664"}) {
        expectCommand(line, ID_APP_ABOUT);
    }
    for (const char* line : {"F&lags over PHs...", "Flags over PHs", "phflags", "32776"}) {
        expectCommand(line, ID_CONFIG_PHFLAGS);
    }
    expectCommand("Flags over QProc", ID_CONFIG_QPFLAGS);
    expectCommand("&Analog datas...", ID_CONFIG_ANALOG);
    expectCommand("general", ID_CONFIG_GENERAL);
    expectCommand("Stop", ID_TRANSFER_STOP);
    expectCommand("help", ID_HELP_FINDER);
    expectCommand("Exit", ID_APP_EXIT);
    expectCommand("57665", ID_APP_EXIT);
}

TEST(TrayInput, BlanksLineEndsAndByteOrderMarkAroundTheWord) {
    expectCommand("  start\t", ID_TRANSFER_START);
    expectCommand("stop\r", ID_TRANSFER_STOP);
    expectCommand("stop\r\n", ID_TRANSFER_STOP);
    expectCommand("\xEF\xBB\xBFstart", ID_TRANSFER_START);
    for (const char* line : {"", " ", "\t\t", "\r", "\r\n", "\xEF\xBB\xBF"}) {
        expectKind(line, Kind::Blank);
    }
}

TEST(TrayInput, MouseWordsAndUsage) {
    for (const char* line : {"menu", "MENU", "right-click", "Right Click"}) {
        expectKind(line, Kind::RightClick);
    }
    for (const char* line : {"double-click", "Double click", "dblclick"}) {
        expectKind(line, Kind::DoubleClick);
    }
    expectKind("click", Kind::Click);
    expectKind("?", Kind::Usage);
}

TEST(TrayInput, NumbersOnlyWhenTheMenuHoldsThem) {
    // Not in the menu, signed, padded, or past 32 bits (4295000068 is 2^32 + 32772 and must not
    // wrap onto "Start transfer").
    for (const char* line : {"0", "1", "32771", "32778", "65536", "99999", "-32772", "+32772",
                             "032772", "4294967296", "4295000068", "-1", "2147483647",
                             "-2147483648", "18446744073709551616", "3.2772e4", "nan", "inf"}) {
        expectKind(line, Kind::Unknown);
    }
}

TEST(TrayInput, NamesThatAreNotCommandsAndBytesThatNeverName) {
    for (const char* line : {"Configuration", "&Configuration", "---", "separator", "st art",
                             "starts", "Start transfer now", "ID_APP", "\x1B[A", "start\x1A"}) {
        expectKind(line, Kind::Unknown);
    }
    using namespace std::string_literals;
    expectKind("start\0"s, Kind::Unknown);
    expectKind("\0start"s, Kind::Unknown);
    expectKind("\0"s, Kind::Unknown);
    expectKind("sta\rrt"s, Kind::Unknown);
    expectKind(std::string(5000, 'a'), Kind::Unknown);
}
