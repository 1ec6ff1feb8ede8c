#include "ui/framework/headless/dialog_template.h"

#include <gtest/gtest.h>

namespace gb::ui::headless {
namespace {

const char* const Ids = "#define IDD_X 7\n#define IDC_LIST 1012\n";

TEST(DialogTemplate, ReadsControlsInOrderAcrossLinesWithStylesIdsAndQuotes) {
    const char* script = R"(#include <windows.h>
// a comment; with "quotes"
LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL
OTHER DIALOG 0, 0, 10, 10
CAPTION "other"
BEGIN
END
IDD_X DIALOG 0, 0, 373, 148
STYLE DS_SETFONT | WS_POPUP | WS_CAPTION | NOT WS_SYSMENU
CAPTION " Say ""hi"""
FONT 8, "MS Sans Serif"
BEGIN
    LISTBOX IDC_LIST, 7, 7, 300, 134,
            LBS_SORT | LBS_NOTIFY | WS_VSCROLL
    CONTROL "", 1013, "SysListView32", LVS_REPORT | LVS_SINGLESEL | NOT WS_TABSTOP,
            1, 2, 3, 4
    AUTOCHECKBOX "Bi&nary", 1030, 1, 2, 3, 4
    DEFPUSHBUTTON "&OK", IDOK, 316, 7, 50, 14
    LTEXT "ms", IDC_STATIC, 1, 2, 3, 4
END
)";
    DialogTemplate t;
    ASSERT_TRUE(readDialogTemplate(script, Ids, 7, t));
    EXPECT_EQ(t.caption, " Say \"hi\"");
    EXPECT_EQ(t.styles, (std::vector<std::string>{"DS_SETFONT", "WS_POPUP", "WS_CAPTION"}));
    ASSERT_EQ(t.controls.size(), 5u);
    EXPECT_EQ(t.controls[0].kind, ControlKind::ListBox);
    EXPECT_EQ(t.controls[0].id, 1012);
    EXPECT_TRUE(t.controls[0].hasStyle("LBS_NOTIFY"));
    EXPECT_EQ(t.controls[1].kind, ControlKind::ListView);
    EXPECT_FALSE(t.controls[1].hasStyle("WS_TABSTOP"));
    EXPECT_EQ(t.controls[2].kind, ControlKind::CheckBox);
    EXPECT_EQ(t.controls[2].text, "Bi&nary");
    EXPECT_EQ(t.controls[3].id, 1);
    EXPECT_EQ(t.controls[4].id, -1);
    EXPECT_FALSE(readDialogTemplate(script, Ids, 8, t));
}

TEST(DialogTemplate, TheProgramsOwnTemplatesAreThere) {
    DialogTemplate t;
    ASSERT_TRUE(findDialogTemplate(134, t));
    EXPECT_EQ(t.caption, " Glowbridge Configuration");
    ASSERT_TRUE(findDialogTemplate(135, t));
    ASSERT_EQ(t.controls.size(), 3u);
    EXPECT_TRUE(t.controls[0].hasStyle("LBS_SORT"));
    EXPECT_FALSE(findDialogTemplate(999, t));
}

} // namespace
} // namespace gb::ui::headless
