// The tray against the shell and user32, under Wine with an X display. The target window is a
// hidden window of the test's own that records the commands it receives.
#include "ui/resource.h"
#include "ui/system_tray.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <gtest/gtest.h>

#include <vector>

using gb::ui::CSystemTray;

namespace {

std::vector<unsigned> gCommands;

LRESULT CALLBACK targetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        gCommands.push_back(LOWORD(wParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createTarget() {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = targetProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "GlowbridgeTrayTestTarget";
        return RegisterClassA(&wc) != 0;
    }();
    if (!registered) return nullptr;
    return CreateWindowExA(0, "GlowbridgeTrayTestTarget", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Asks the shell directly whether our icon is there: a modify of a missing icon fails.
bool shellHasIcon(const CSystemTray& tray) {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = static_cast<HWND>(tray.GetIconData().window);
    record.uID = tray.GetIconData().id;
    return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

class ShellTray : public ::testing::Test {
protected:
    HWND target = nullptr;
    void SetUp() override {
        gCommands.clear();
        target = createTarget();
        ASSERT_NE(target, nullptr);
    }
    void TearDown() override { DestroyWindow(target); }

    LRESULT notify(const CSystemTray& tray, WPARAM id, LPARAM mouse) {
        return SendMessageA(static_cast<HWND>(tray.GetHiddenWindow()), WM_TRAYNOTIFY, id, mouse);
    }
};

void CALLBACK closeMenu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
}

} // namespace

TEST_F(ShellTray, CreateAddsTheIconAndEveryChangeReachesTheShell) {
    CSystemTray tray;
    ASSERT_TRUE(tray.Create(nullptr, WM_TRAYNOTIFY, "Glowbridge (ISA) 2.101 SP2",
                            CSystemTray::InformationIcon(), IDR_TRAYMENU));
    EXPECT_EQ(tray.GetIconData().size, NOTIFYICONDATAA_V1_SIZE);
    EXPECT_EQ(tray.GetIconData().size, sizeof(void*) == 8 ? 104u : 88u);
    HWND hidden = static_cast<HWND>(tray.GetHiddenWindow());
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(tray.GetIconData().window, hidden);
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_EQ(GetWindowLongA(hidden, GWL_STYLE) & WS_POPUP, WS_POPUP);
    EXPECT_TRUE(shellHasIcon(tray));

    EXPECT_TRUE(tray.SetMenuDefaultItem(ID_TRANSFER_START, false));
    EXPECT_TRUE(tray.SetIcon(IDI_TRAY_NOCARD));
    EXPECT_TRUE(tray.SetIcon(IDI_TRAY_IDLE));
    EXPECT_TRUE(tray.SetIcon(IDI_TRAY_TRANSFER));
    EXPECT_FALSE(tray.SetIcon(999u));
    EXPECT_TRUE(tray.SetTooltipText("Calls: QP=2147483647 PH=-2147483648"));
    EXPECT_TRUE(tray.SetTooltipText(std::string(200, 'x').c_str()));
    EXPECT_TRUE(tray.SetMenuDefaultItem(ID_TRANSFER_STOP, false));

    tray.RemoveIcon();
    EXPECT_FALSE(shellHasIcon(tray));
    EXPECT_FALSE(tray.SetIcon(IDI_TRAY_IDLE));
    EXPECT_FALSE(tray.SetTooltipText("Calls: QP=1 PH=1"));
    EXPECT_FALSE(shellHasIcon(tray));
}

TEST_F(ShellTray, DoubleClickSendsTheDefaultCommandToTheTarget) {
    CSystemTray tray;
    ASSERT_TRUE(
        tray.Create(nullptr, WM_TRAYNOTIFY, "t", CSystemTray::InformationIcon(), IDR_TRAYMENU));
    tray.SetTargetWindow(target, nullptr);
    ASSERT_TRUE(tray.SetMenuDefaultItem(ID_TRANSFER_START, false));

    // Sent, not posted: the command has arrived when the notification returns.
    EXPECT_EQ(notify(tray, IDR_TRAYMENU, WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(gCommands, (std::vector<unsigned>{ID_TRANSFER_START}));
    ASSERT_TRUE(tray.SetMenuDefaultItem(ID_TRANSFER_STOP, false));
    EXPECT_EQ(notify(tray, IDR_TRAYMENU, WM_LBUTTONDBLCLK), 1);
    // By position: the pop-up's first item, then the separator at 2 (nothing).
    ASSERT_TRUE(tray.SetMenuDefaultItem(0, true));
    EXPECT_EQ(notify(tray, IDR_TRAYMENU, WM_LBUTTONDBLCLK), 1);
    ASSERT_TRUE(tray.SetMenuDefaultItem(2, true));
    EXPECT_EQ(notify(tray, IDR_TRAYMENU, WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(gCommands,
              (std::vector<unsigned>{ID_TRANSFER_START, ID_TRANSFER_STOP, ID_APP_ABOUT}));

    // Another icon's notification, a single click, a mouse move: nothing sent.
    EXPECT_EQ(notify(tray, IDI_TRAY_NOCARD, WM_LBUTTONDBLCLK), 0);
    EXPECT_EQ(notify(tray, 0, WM_RBUTTONUP), 0);
    EXPECT_EQ(notify(tray, IDR_TRAYMENU, WM_LBUTTONUP), 1);
    EXPECT_EQ(notify(tray, IDR_TRAYMENU, WM_MOUSEMOVE), 1);
    EXPECT_EQ(gCommands.size(), 3u);

    // Other messages still get the default window processing.
    HWND hidden = static_cast<HWND>(tray.GetHiddenWindow());
    EXPECT_EQ(SendMessageA(hidden, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x")), TRUE);
}

TEST_F(ShellTray, RightClickTracksThePopupAndClosingItSendsNothing) {
    CSystemTray tray;
    ASSERT_TRUE(
        tray.Create(nullptr, WM_TRAYNOTIFY, "t", CSystemTray::InformationIcon(), IDR_TRAYMENU));
    tray.SetTargetWindow(target, nullptr);
    // The thread timer runs inside the pop-up's own loop and closes it, as a click elsewhere does.
    ASSERT_NE(SetTimer(nullptr, 0, 300, closeMenu), 0u);
    EXPECT_EQ(notify(tray, IDR_TRAYMENU, WM_RBUTTONUP), 1);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    EXPECT_TRUE(gCommands.empty());
}

TEST_F(ShellTray, IconIdWithoutAMenuIgnoresClicks) {
    CSystemTray tray;
    ASSERT_TRUE(tray.Create(nullptr, WM_TRAYNOTIFY, "t", CSystemTray::InformationIcon(), 77));
    tray.SetTargetWindow(target, nullptr);
    EXPECT_FALSE(tray.SetMenuDefaultItem(ID_TRANSFER_STOP, false));
    EXPECT_EQ(notify(tray, 77, WM_RBUTTONUP), 0);
    ASSERT_FALSE(tray.SetMenuDefaultItem(1, true));
    EXPECT_EQ(notify(tray, 77, WM_LBUTTONDBLCLK), 0);
    EXPECT_TRUE(gCommands.empty());
}
