// The tray on Windows: Shell_NotifyIconA, a hidden pop-up window for the notifications, icons and
// the menu from the program's resources.
#include "ui/framework/tray_backend.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstring>

namespace gb::ui::tray_backend {

static_assert(sizeof(TrayIconData) == NOTIFYICONDATAA_V1_SIZE,
              "TrayIconData must keep the shell's first record layout");

namespace {

constexpr char kWindowClass[] = "GlowbridgeTrayWindow";

HWND hwnd(platform::LoopWindow window) {
    return static_cast<HWND>(window);
}

HINSTANCE programInstance() {
    return GetModuleHandleA(nullptr);
}

LRESULT CALLBACK notifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* tray = reinterpret_cast<CSystemTray*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (tray != nullptr && message == tray->GetIconData().callbackMessage) {
        return tray->OnTrayNotification(wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool registerWindowClass() {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = notifyWindowProc;
        wc.hInstance = programInstance();
        wc.lpszClassName = kWindowClass;
        return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

// The menu resource and its first pop-up; menu null when either is missing.
struct LoadedMenu {
    HMENU menu = nullptr;
    HMENU popup = nullptr;
    explicit LoadedMenu(unsigned menuId) {
        menu = LoadMenuA(programInstance(), MAKEINTRESOURCEA(menuId));
        if (menu != nullptr) popup = GetSubMenu(menu, 0);
        if (popup == nullptr && menu != nullptr) {
            DestroyMenu(menu);
            menu = nullptr;
        }
    }
    ~LoadedMenu() {
        if (menu != nullptr) DestroyMenu(menu);
    }
    LoadedMenu(const LoadedMenu&) = delete;
    LoadedMenu& operator=(const LoadedMenu&) = delete;
};

} // namespace

bool shellVersionSupported() {
    DWORD version = GetVersion();
    return LOBYTE(LOWORD(version)) >= 4;
}

platform::LoopWindow createNotifyWindow(CSystemTray& tray) {
    if (!registerWindowClass()) return nullptr;
    return CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           programInstance(), &tray);
}

void destroyNotifyWindow(platform::LoopWindow window) {
    DestroyWindow(hwnd(window));
}

bool shellNotify(ShellAction action, const TrayIconData& data) {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = hwnd(data.window);
    record.uID = data.id;
    record.uFlags = data.flags;
    record.uCallbackMessage = data.callbackMessage;
    record.hIcon = static_cast<HICON>(data.icon);
    std::memcpy(record.szTip, data.tip, sizeof data.tip);
    DWORD message = action == ShellAction::Add      ? NIM_ADD
                    : action == ShellAction::Modify ? NIM_MODIFY
                                                    : NIM_DELETE;
    return Shell_NotifyIconA(message, &record) != FALSE;
}

IconHandle loadIcon(unsigned resourceId) {
    // Every state change asks for an icon again; keeping the few handles loaded for the run
    // avoids leaking one icon handle per change.
    struct Loaded {
        unsigned id;
        HICON icon;
    };
    static Loaded cache[8];
    static unsigned count = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (cache[i].id == resourceId) return cache[i].icon;
    }
    auto icon = static_cast<HICON>(
        LoadImageA(programInstance(), MAKEINTRESOURCEA(resourceId), IMAGE_ICON, 16, 16, 0));
    if (icon != nullptr && count < sizeof cache / sizeof cache[0])
        cache[count++] = {resourceId, icon};
    return icon;
}

IconHandle informationIcon() {
    return LoadIconA(nullptr, IDI_INFORMATION);
}

bool markMenuDefault(unsigned menuId, unsigned item, bool byPosition) {
    LoadedMenu loaded(menuId);
    if (loaded.menu == nullptr) return false;
    ::SetMenuDefaultItem(loaded.popup, item, byPosition ? TRUE : FALSE);
    return true;
}

bool menuCommandAt(unsigned menuId, unsigned position, unsigned& command) {
    LoadedMenu loaded(menuId);
    if (loaded.menu == nullptr) return false;
    UINT id = GetMenuItemID(loaded.popup, static_cast<int>(position));
    command = id == static_cast<UINT>(-1) ? 0 : id;
    return true;
}

bool trackPopupMenu(unsigned menuId, unsigned defaultItem, bool byPosition,
                    platform::LoopWindow target, platform::LoopWindowHandler*) {
    LoadedMenu loaded(menuId);
    if (loaded.menu == nullptr) return false;
    ::SetMenuDefaultItem(loaded.popup, defaultItem, byPosition ? TRUE : FALSE);
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the foreground switch and the empty message afterwards the pop-up would stay open
    // when the user clicks elsewhere.
    SetForegroundWindow(hwnd(target));
    TrackPopupMenu(loaded.popup, 0, cursor.x, cursor.y, 0, hwnd(target), nullptr);
    PostMessageA(hwnd(target), WM_NULL, 0, 0);
    return true;
}

void bringToForeground(platform::LoopWindow target) {
    SetForegroundWindow(hwnd(target));
}

void sendMenuCommand(platform::LoopWindow target, unsigned command) {
    SendMessageA(hwnd(target), WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

} // namespace gb::ui::tray_backend
