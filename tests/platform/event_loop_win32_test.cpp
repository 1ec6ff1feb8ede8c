// The Windows backend's loop windows as user32 sees them: hidden top-level windows whose menus
// are greyed by the handler and which WM_CLOSE does not destroy.

#include "event_loop_fixture.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace gb::platform;
using gb::test::EventLoopTest;
using gb::test::Recorder;

namespace {

bool greyed(HMENU menu, UINT command) {
    return (GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

} // namespace

TEST_F(EventLoopTest, LoopWindowIsAHiddenTopLevelWindowThatCloseDoesNotDestroy) {
    Recorder frame(log, "f");
    LoopWindow w = createLoopWindow(&frame);
    ASSERT_NE(w, nullptr);
    HWND hwnd = static_cast<HWND>(w);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetParent(hwnd), nullptr);

    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(hwnd));
    // An accelerator's WM_COMMAND carries 1 in the high word; the handler sees the command.
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(32771, 1), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"f:close", "f:c32771"}));

    destroyLoopWindow(w);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(EventLoopTest, OpeningMenuGreysTheCommandsTheHandlerDisables) {
    Recorder frame(log, "f");
    LoopWindow w = createLoopWindow(&frame);
    HWND hwnd = static_cast<HWND>(w);
    HMENU sub = CreatePopupMenu();
    AppendMenuA(sub, MF_STRING, 201, "Inner");
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 101, "Open");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "More");
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 102, "Close");

    frame.disabled = {101, 201};
    SendMessageA(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, FALSE));
    EXPECT_TRUE(greyed(menu, 101));
    EXPECT_FALSE(greyed(menu, 102)); // enabled again: the handler decides each time
    EXPECT_FALSE(greyed(sub, 201));  // the sub-menu is asked when it opens
    SendMessageA(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), MAKELPARAM(2, FALSE));
    EXPECT_TRUE(greyed(sub, 201));

    frame.disabled.clear();
    SendMessageA(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, FALSE));
    EXPECT_FALSE(greyed(menu, 101));
    DestroyMenu(menu);
    destroyLoopWindow(w);
}

TEST_F(EventLoopTest, NoStandardInputChannelOnWindows) {
    EXPECT_FALSE(setStandardInputHandler([](void*, const char*) {}, nullptr));
    EXPECT_EQ(loopWaitCount(), 0u);
}
