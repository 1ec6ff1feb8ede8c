#pragma once
// What CSystemTray needs from the platform, one backend per build: win32/ (the shell, user32,
// the program's resources) and headless/ (the console tray). Internal to the ui library.

#include "ui/system_tray.h"

namespace gb::ui::tray_backend {

enum class ShellAction {
    Add,
    Modify,
    Delete,
};

// The tray needs Windows 4 or later; always true for the console tray.
bool shellVersionSupported();

// The hidden window that receives the callback message and calls tray.OnTrayNotification.
platform::LoopWindow createNotifyWindow(CSystemTray& tray);
void destroyNotifyWindow(platform::LoopWindow window);

// Shell_NotifyIconA with the record; its answer.
bool shellNotify(ShellAction action, const TrayIconData& data);

IconHandle loadIcon(unsigned resourceId);
IconHandle informationIcon();

// Loads menu `menuId`, marks the item as its first pop-up's default, frees the menu. False when
// the menu or the pop-up is missing.
bool markMenuDefault(unsigned menuId, unsigned item, bool byPosition);

// The command at `position` of menu `menuId`'s first pop-up: false when the menu or the pop-up is
// missing; `command` 0 when the position holds no command (separator, sub-menu, past the end).
bool menuCommandAt(unsigned menuId, unsigned position, unsigned& command);

// The right click: the pop-up of menu `menuId` at the cursor, default item in bold, owned by
// `target`, which receives the chosen command. False when the menu or the pop-up is missing.
bool trackPopupMenu(unsigned menuId, unsigned defaultItem, bool byPosition,
                    platform::LoopWindow target, platform::LoopWindowHandler* handler);

void bringToForeground(platform::LoopWindow target);

// Sends the command at once, as a menu command with no source window.
void sendMenuCommand(platform::LoopWindow target, unsigned command);

} // namespace gb::ui::tray_backend
