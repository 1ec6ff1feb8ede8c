// The About box, from the program's resource script on both backends.

#include "ui/dialog_ids.h"
#include "ui/dialogs/about_dlg.h"
#include "ui/framework/scripted_user.h"
#include "ui/resource.h" // its numbers must agree with dialog_ids.h's, or this file warns

#include <gtest/gtest.h>

namespace gb::ui {
namespace {

TEST(AboutBox, ShowsTheBitmapTheVersionAndOk) {
    ScriptedUser user;
    ScopedUser scope(user);
    CAboutDlg dlg;
    user.expectDialog(IDD_ABOUTBOX)
        .then([](Dialog& d) {
            EXPECT_EQ(d.GetWindowText(), " About Glowbridge");
            EXPECT_EQ(d.Window()->childIds(), (std::vector<int>{-1, -1, platform::IdOk}));
            EXPECT_EQ(d.GetControl(platform::IdOk).GetWindowText(), "&OK");
        })
        .click(platform::IdOk);
    EXPECT_EQ(dlg.DoModal(), platform::IdOk);
    EXPECT_EQ(user.problems(), std::vector<std::string>{});
    static_assert(IDD_ABOUTBOX == 100 && IDB_ABOUT == 139);
}

} // namespace
} // namespace gb::ui
