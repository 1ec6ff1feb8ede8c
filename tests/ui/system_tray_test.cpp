// The tray's rules and the console tray's lines and input, natively.
#include "ui/framework/headless/console_tray.h"
#include "ui/resource.h"
#include "ui/system_tray.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

using gb::ui::CSystemTray;
using gb::ui::handleTrayInputLine;

namespace {

using Sent = std::vector<std::pair<gb::platform::LoopWindow, unsigned>>;
Sent gPosted;
Sent gSent;

class MainWindow : public gb::platform::LoopWindowHandler {
public:
    std::set<unsigned> disabled;
    void onTimer(unsigned) override {}
    void onCommand(unsigned) override {}
    void onClose() override {}
    bool isCommandEnabled(unsigned command) override { return disabled.count(command) == 0; }
    gb::platform::LoopWindow window() { return this; }
};

class ConsoleTray : public ::testing::Test {
protected:
    std::vector<std::string> lines;
    MainWindow main;

    void SetUp() override {
        gPosted.clear();
        gSent.clear();
        gb::ui::setTrayLineWriter(
            [](void* context, const char* line) {
                static_cast<std::vector<std::string>*>(context)->push_back(line);
            },
            &lines);
        gb::ui::setTrayCommandSink({
            [](gb::platform::LoopWindow w, unsigned c) {
                return gPosted.push_back({w, c}), true;
            },
            [](gb::platform::LoopWindow w, unsigned c) {
                return gSent.push_back({w, c}), true;
            },
        });
    }
    void TearDown() override {
        gb::ui::setTrayLineWriter(nullptr, nullptr);
        gb::ui::setTrayCommandSink({});
        gb::ui::setTrayShellRefuses(false);
    }

    // As the main frame creates it.
    void createAsProgram(CSystemTray& tray) {
        ASSERT_TRUE(tray.Create(nullptr, WM_TRAYNOTIFY, "Glowbridge (ISA) 2.101 SP2",
                                CSystemTray::InformationIcon(), IDR_TRAYMENU));
        tray.SetTargetWindow(main.window(), &main);
        ASSERT_TRUE(tray.SetMenuDefaultItem(ID_TRANSFER_START, false));
        ASSERT_TRUE(tray.SetIcon(IDI_TRAY_NOCARD));
        lines.clear();
    }
};

} // namespace

TEST_F(ConsoleTray, ProgramLifetimeWritesOneLinePerChange) {
    {
        CSystemTray tray;
        EXPECT_FALSE(tray.IsEnabled());
        EXPECT_EQ(tray.GetDefaultItem(), 0u);
        EXPECT_TRUE(tray.IsDefaultByPosition());
        EXPECT_TRUE(lines.empty());

        ASSERT_TRUE(tray.Create(nullptr, WM_TRAYNOTIFY, "Glowbridge (ISA) 2.101 SP2",
                                CSystemTray::InformationIcon(), IDR_TRAYMENU));
        const gb::ui::TrayIconData& data = tray.GetIconData();
        EXPECT_EQ(data.size, sizeof(void*) == 8 ? 104u : 88u);
        EXPECT_EQ(data.window, tray.GetHiddenWindow());
        EXPECT_EQ(data.id, 130u);
        EXPECT_EQ(data.callbackMessage, 1034u);
        EXPECT_EQ(data.flags,
                  gb::ui::TrayFieldMessage | gb::ui::TrayFieldIcon | gb::ui::TrayFieldTip);

        EXPECT_TRUE(tray.SetMenuDefaultItem(ID_TRANSFER_START, false));
        EXPECT_TRUE(tray.SetIcon(IDI_TRAY_NOCARD));
        EXPECT_EQ(data.flags, gb::ui::TrayFieldIcon);
        EXPECT_TRUE(tray.SetIcon(IDI_TRAY_IDLE));
        EXPECT_TRUE(tray.SetIcon(IDI_TRAY_TRANSFER));
        EXPECT_TRUE(tray.SetMenuDefaultItem(ID_TRANSFER_STOP, false));
        EXPECT_TRUE(tray.SetTooltipText("Calls: QP=3 PH=5"));
        EXPECT_EQ(data.flags, gb::ui::TrayFieldTip);
        EXPECT_TRUE(tray.SetMenuDefaultItem(2, true));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "tray: add icon IDI_INFORMATION tooltip Glowbridge (ISA) 2.101 SP2",
                         "tray: default ID_TRANSFER_START",
                         "tray: icon IDI_TRAY_NOCARD",
                         "tray: icon IDI_TRAY_IDLE",
                         "tray: icon IDI_TRAY_TRANSFER",
                         "tray: default ID_TRANSFER_STOP",
                         "tray: tooltip Calls: QP=3 PH=5",
                         "tray: default position 2",
                         "tray: remove",
                     }));
}

TEST_F(ConsoleTray, SameDefaultItemTwiceDoesNotLoadTheMenuAgain) {
    CSystemTray tray;
    // The start values (position 0) count as already set, even before Create.
    EXPECT_TRUE(tray.SetMenuDefaultItem(0, true));
    // Before Create the menu id is 0: no such menu, but the values stay.
    EXPECT_FALSE(tray.SetMenuDefaultItem(ID_TRANSFER_STOP, false));
    EXPECT_EQ(tray.GetDefaultItem(), unsigned{ID_TRANSFER_STOP});
    EXPECT_TRUE(tray.SetMenuDefaultItem(ID_TRANSFER_STOP, false));
    EXPECT_TRUE(lines.empty());

    createAsProgram(tray);
    EXPECT_TRUE(tray.SetMenuDefaultItem(ID_TRANSFER_START, false));
    EXPECT_TRUE(tray.SetMenuDefaultItem(ID_TRANSFER_STOP, false));
    EXPECT_TRUE(tray.SetMenuDefaultItem(ID_TRANSFER_STOP, false));
    // Same number, other kind: a change.
    EXPECT_TRUE(tray.SetMenuDefaultItem(ID_TRANSFER_STOP, true));
    EXPECT_EQ(lines, (std::vector<std::string>{"tray: default ID_TRANSFER_STOP",
                                               "tray: default position 32773"}));
}

TEST_F(ConsoleTray, TooltipIsCutTo63CharactersAndWrittenOnOneLine) {
    CSystemTray tray;
    createAsProgram(tray);
    const std::string long100(100, 'x');
    EXPECT_TRUE(tray.SetTooltipText(long100.c_str()));
    EXPECT_EQ(std::string(tray.GetIconData().tip), std::string(63, 'x'));
    EXPECT_TRUE(tray.SetTooltipText(std::string(63, 'y').c_str()));
    EXPECT_EQ(std::string(tray.GetIconData().tip), std::string(63, 'y'));
    EXPECT_TRUE(tray.SetTooltipText(std::string(64, 'z').c_str()));
    EXPECT_EQ(std::string(tray.GetIconData().tip), std::string(63, 'z'));
    EXPECT_TRUE(tray.SetTooltipText(nullptr));
    EXPECT_EQ(std::string(tray.GetIconData().tip), "");
    EXPECT_TRUE(tray.SetTooltipText("A\rB\nC\x1A\\D\x7F"));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "tray: tooltip " + std::string(63, 'x'));
    EXPECT_EQ(lines[3], "tray: tooltip ");
    EXPECT_EQ(lines[4], "tray: tooltip A\\x0DB\\x0AC\\x1A\\\\D\\x7F");
}

TEST_F(ConsoleTray, AfterRemoveIconEveryIconOperationReturnsZero) {
    {
        CSystemTray tray;
        createAsProgram(tray);
        tray.RemoveIcon();
        EXPECT_FALSE(tray.IsEnabled());
        EXPECT_FALSE(tray.SetIcon(IDI_TRAY_IDLE));
        EXPECT_FALSE(tray.SetIcon(CSystemTray::InformationIcon()));
        EXPECT_FALSE(tray.SetTooltipText("Calls: QP=1 PH=1"));
        tray.RemoveIcon();
        // Not a second icon either.
        EXPECT_FALSE(tray.Create(nullptr, WM_TRAYNOTIFY, "again", nullptr, IDR_TRAYMENU));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"tray: remove"}));
}

TEST_F(ConsoleTray, RefusedAddLeavesTheTrayDisabled) {
    gb::ui::setTrayShellRefuses(true);
    CSystemTray tray;
    EXPECT_FALSE(tray.Create(nullptr, WM_TRAYNOTIFY, "Glowbridge (ISA) 2.101 SP2",
                             CSystemTray::InformationIcon(), IDR_TRAYMENU));
    gb::ui::setTrayShellRefuses(false);
    EXPECT_FALSE(tray.SetIcon(IDI_TRAY_IDLE));
    EXPECT_FALSE(tray.SetTooltipText("x"));
    tray.RemoveIcon();
    EXPECT_TRUE(lines.empty());
}

TEST_F(ConsoleTray, IconThatDoesNotLoadKeepsTheCurrentOne) {
    CSystemTray tray;
    createAsProgram(tray);
    gb::ui::IconHandle before = tray.GetIconData().icon;
    EXPECT_FALSE(tray.SetIcon(999u));
    EXPECT_FALSE(tray.SetIcon(unsigned{IDR_TRAYMENU + 100}));
    EXPECT_EQ(tray.GetIconData().icon, before);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(CSystemTray::LoadTrayIcon(IDI_TRAY_IDLE), CSystemTray::LoadTrayIcon(IDI_TRAY_IDLE));
}

TEST_F(ConsoleTray, DoubleClickSendsTheDefaultCommandAtOnce) {
    CSystemTray tray;
    createAsProgram(tray);
    EXPECT_EQ(tray.OnTrayNotification(IDR_TRAYMENU, gb::ui::TrayLeftButtonDoubleClick), 1);
    tray.SetMenuDefaultItem(ID_TRANSFER_STOP, false);
    // Only the low 16 bits name the mouse message.
    EXPECT_EQ(tray.OnTrayNotification(IDR_TRAYMENU, 0x7FFF0000 | gb::ui::TrayLeftButtonDoubleClick),
              1);
    EXPECT_EQ(gSent, (Sent{{main.window(), ID_TRANSFER_START}, {main.window(), ID_TRANSFER_STOP}}));
    // The main frame decides about disabled commands; the double click sends regardless.
    main.disabled = {ID_TRANSFER_STOP};
    EXPECT_EQ(tray.OnTrayNotification(IDR_TRAYMENU, gb::ui::TrayLeftButtonDoubleClick), 1);
    EXPECT_EQ(gSent.size(), 3u);
    EXPECT_TRUE(gPosted.empty());
}

TEST_F(ConsoleTray, DoubleClickByPositionSendsOnlyRealCommands) {
    CSystemTray tray;
    ASSERT_TRUE(tray.Create(nullptr, WM_TRAYNOTIFY, "t", nullptr, IDR_TRAYMENU));
    tray.SetTargetWindow(main.window(), &main);
    // Start value: position 0, "About Glowbridge...".
    EXPECT_EQ(tray.OnTrayNotification(IDR_TRAYMENU, gb::ui::TrayLeftButtonDoubleClick), 1);
    EXPECT_EQ(gSent, (Sent{{main.window(), ID_APP_ABOUT}}));
    // A separator, the sub-menu, past the end: nothing to send.
    for (unsigned position : {2u, 3u, 9u, 0xFFFFFFFFu}) {
        tray.SetMenuDefaultItem(position, true);
        EXPECT_EQ(tray.OnTrayNotification(IDR_TRAYMENU, gb::ui::TrayLeftButtonDoubleClick), 1);
    }
    tray.SetMenuDefaultItem(8, true);
    EXPECT_EQ(tray.OnTrayNotification(IDR_TRAYMENU, gb::ui::TrayLeftButtonDoubleClick), 1);
    EXPECT_EQ(gSent, (Sent{{main.window(), ID_APP_ABOUT}, {main.window(), ID_APP_EXIT}}));
}

TEST_F(ConsoleTray, NotificationsThatAreNotOursOrNeedNoActionSendNothing) {
    CSystemTray tray;
    createAsProgram(tray);
    EXPECT_EQ(tray.OnTrayNotification(131, gb::ui::TrayLeftButtonDoubleClick), 0);
    EXPECT_EQ(tray.OnTrayNotification(0, gb::ui::TrayRightButtonUp), 0);
    if constexpr (sizeof(std::uintptr_t) == 8) {
        EXPECT_EQ(tray.OnTrayNotification((std::uintptr_t{1} << 32) | IDR_TRAYMENU,
                                          gb::ui::TrayLeftButtonDoubleClick),
                  0);
    }
    // Single click (no click command), mouse move, button down: handled, nothing sent.
    for (unsigned message : {gb::ui::TrayLeftButtonUp, 0x0200u, 0x0201u, 0x0204u}) {
        EXPECT_EQ(tray.OnTrayNotification(IDR_TRAYMENU, message), 1);
    }
    EXPECT_TRUE(gSent.empty());
    EXPECT_TRUE(lines.empty());

    tray.SetClickCommand(ID_APP_ABOUT);
    EXPECT_EQ(tray.OnTrayNotification(IDR_TRAYMENU, gb::ui::TrayLeftButtonUp), 1);
    EXPECT_EQ(gSent, (Sent{{main.window(), ID_APP_ABOUT}}));

    CSystemTray noTarget;
    ASSERT_TRUE(noTarget.Create(nullptr, WM_TRAYNOTIFY, "t", nullptr, IDR_TRAYMENU));
    EXPECT_EQ(noTarget.OnTrayNotification(IDR_TRAYMENU, gb::ui::TrayLeftButtonDoubleClick), 0);
    // An icon id without a menu of that number: the notification is dropped.
    CSystemTray otherMenu;
    ASSERT_TRUE(otherMenu.Create(nullptr, WM_TRAYNOTIFY, "t", nullptr, 77));
    otherMenu.SetTargetWindow(main.window(), &main);
    EXPECT_EQ(otherMenu.OnTrayNotification(77, gb::ui::TrayRightButtonUp), 0);
    EXPECT_EQ(otherMenu.OnTrayNotification(77, gb::ui::TrayLeftButtonDoubleClick), 0);
    EXPECT_EQ(gSent.size(), 1u);
}

TEST_F(ConsoleTray, RightClickShowsTheMenuWithDefaultAndGreyedItems) {
    CSystemTray tray;
    createAsProgram(tray);
    main.disabled = {ID_TRANSFER_STOP, ID_CONFIG_GENERAL};
    handleTrayInputLine(tray, "menu");
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "tray: menu",
                         "tray:   57664 About Glowbridge...",
                         "tray:   57667 Help...",
                         "tray:   ---",
                         "tray:   Configuration >",
                         "tray:     32774 General... (greyed)",
                         "tray:     ---",
                         "tray:     32775 Flags over QProc...",
                         "tray:     32776 Flags over PHs...",
                         "tray:     32777 Analog datas...",
                         "tray:   ---",
                         "tray:   32772 Start transfer (default)",
                         "tray:   32773 Stop transfer (greyed)",
                         "tray:   ---",
                         "tray:   57665 Exit",
                         "tray: end menu",
                     }));
    EXPECT_TRUE(gSent.empty());
    EXPECT_TRUE(gPosted.empty());
}

TEST_F(ConsoleTray, TypedLinesBecomeCommandsForTheMainWindow) {
    CSystemTray tray;
    createAsProgram(tray);
    main.disabled = {ID_TRANSFER_STOP};
    handleTrayInputLine(tray, "start");
    handleTrayInputLine(tray, "32777");
    handleTrayInputLine(tray, "Stop transfer");
    handleTrayInputLine(tray, "");
    handleTrayInputLine(tray, "   ");
    handleTrayInputLine(tray, "double-click");
    handleTrayInputLine(tray, "click");
    handleTrayInputLine(tray, std::string_view("exit\0!", 6));
    handleTrayInputLine(tray, "42");
    EXPECT_EQ(gPosted,
              (Sent{{main.window(), ID_TRANSFER_START}, {main.window(), ID_CONFIG_ANALOG}}));
    EXPECT_EQ(gSent, (Sent{{main.window(), ID_TRANSFER_START}}));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "tray: command ID_TRANSFER_START",
                         "tray: command ID_CONFIG_ANALOG",
                         "tray: greyed ID_TRANSFER_STOP",
                         "tray: send ID_TRANSFER_START",
                         "tray: unknown input \"exit\\x00!\"",
                         "tray: unknown input \"42\"",
                     }));
    lines.clear();
    handleTrayInputLine(tray, "?");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("double-click"), std::string::npos);
}
