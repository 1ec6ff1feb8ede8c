#pragma once
// CSystemTray: the program's one icon in the taskbar notification area.
//
// A hidden pop-up window of its own receives the shell's mouse notifications (the callback
// message given to Create) and turns them into menu commands for the target window, the
// application's main window: a right click shows the first pop-up of the menu resource whose
// number is the icon id, with the default item in bold; a double click sends the default item's
// command at once; a single click does nothing unless a click command is set. The owner decides
// icon, tooltip and default item; the tray knows nothing of what the commands do.
//
// Windows: Shell_NotifyIconA with the shell's first record layout, icons and the menu from the
// program's resources (ui/framework/win32). Native: the console tray (ui/framework/headless),
// which prints every change as a line and takes the mouse and the menu from standard input.

#include "platform/event_loop.h"

#include <cstdint>

namespace gb::ui {

using IconHandle = void*;

// Mouse messages the shell puts in a notification's second parameter (the Windows values).
inline constexpr unsigned TrayLeftButtonUp = 0x0202;
inline constexpr unsigned TrayLeftButtonDoubleClick = 0x0203;
inline constexpr unsigned TrayRightButtonUp = 0x0205;

// Valid-field flags of the record (NIF_MESSAGE, NIF_ICON, NIF_TIP).
inline constexpr std::uint32_t TrayFieldMessage = 0x1;
inline constexpr std::uint32_t TrayFieldIcon = 0x2;
inline constexpr std::uint32_t TrayFieldTip = 0x4;

// The shell's notification-icon record in its first layout, which every Windows version since
// 4.0 accepts: 88 bytes on 32-bit Windows, 104 on x64 (NOTIFYICONDATAA_V1_SIZE), and `size`
// says so.
struct TrayIconData {
    std::uint32_t size;
    void* window;
    std::uint32_t id;
    std::uint32_t flags;
    std::uint32_t callbackMessage;
    IconHandle icon;
    char tip[64];
};

class CSystemTray {
public:
    CSystemTray();
    // RemoveIcon, then the hidden window goes.
    virtual ~CSystemTray();
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    // Creates the hidden window and adds the icon. `parent` (may be null) owns the notifications
    // in place of the hidden window. `id` is also the menu resource the notifications load.
    // Returns whether the shell added the icon; false leaves every icon operation disabled.
    bool Create(platform::LoopWindow parent, unsigned callbackMessage, const char* tooltip,
                IconHandle icon, unsigned id);

    // While enabled: shows the icon; returns the shell's answer. Disabled: 0.
    bool SetIcon(IconHandle icon);
    // Loads icon resource `resourceId` (16 by 16) first; false also when it does not load.
    bool SetIcon(unsigned resourceId);
    // While enabled: shows the text as tooltip, cut to 63 characters; returns the shell's answer.
    bool SetTooltipText(const char* text);
    // Marks the pop-up's default item, by command number or by position. The same values again
    // return true at once; otherwise false when the menu resource or its pop-up cannot be loaded
    // (the new values stay).
    bool SetMenuDefaultItem(unsigned item, bool byPosition);
    // While enabled: deletes the icon and disables the tray.
    void RemoveIcon();

    // The shell's notification: `wParam` the icon id, the low 16 bits of `lParam` the mouse
    // message. 0 when it is not ours (or the menu cannot be loaded), 1 when handled.
    virtual std::intptr_t OnTrayNotification(std::uintptr_t wParam, std::intptr_t lParam);

    // The window that receives the commands: the application's main window. `handler` answers
    // which commands are enabled where the platform cannot ask the window itself (the console
    // tray); on Windows the window is asked by its own pop-up (WM_INITMENUPOPUP).
    void SetTargetWindow(platform::LoopWindow target, platform::LoopWindowHandler* handler);
    platform::LoopWindow GetTargetWindow() const { return target; }
    platform::LoopWindowHandler* GetTargetHandler() const { return targetHandler; }

    // Command sent on a single left click; -1 (the start value) sends nothing.
    void SetClickCommand(int command) { clickCommand = command; }

    bool IsEnabled() const { return enabled != 0; }
    bool IsHidden() const { return hidden != 0; }
    const TrayIconData& GetIconData() const { return iconData; }
    unsigned GetDefaultItem() const { return defaultItem; }
    bool IsDefaultByPosition() const { return defaultByPosition != 0; }
    platform::LoopWindow GetHiddenWindow() const { return hiddenWindow; }

    // The system's information icon (what the program shows until its first SetIcon).
    static IconHandle InformationIcon();
    // Icon resource `resourceId` at 16 by 16, or null. Handles are kept for the whole run.
    static IconHandle LoadTrayIcon(unsigned resourceId);

private:
    int enabled;
    int hidden; // part of the hide / show pair, which the program does not use
    TrayIconData iconData;
    int clickCommand;
    unsigned defaultItem;
    int defaultByPosition;

    platform::LoopWindow hiddenWindow = nullptr;
    platform::LoopWindow target = nullptr;
    platform::LoopWindowHandler* targetHandler = nullptr;
};

} // namespace gb::ui
