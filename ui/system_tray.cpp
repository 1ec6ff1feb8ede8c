#include "ui/system_tray.h"

#include "ui/framework/tray_backend.h"

#include <cstring>

namespace gb::ui {

namespace backend = tray_backend;

namespace {

void copyTip(char (&tip)[64], const char* text) {
    std::memset(tip, 0, sizeof tip);
    if (text == nullptr) return;
    std::size_t n = std::strlen(text);
    if (n > sizeof tip - 1) n = sizeof tip - 1;
    std::memcpy(tip, text, n);
}

} // namespace

CSystemTray::CSystemTray()
    : enabled(0), hidden(0), iconData{}, clickCommand(-1), defaultItem(0), defaultByPosition(1) {
    iconData.size = sizeof(TrayIconData);
}

CSystemTray::~CSystemTray() {
    RemoveIcon();
    if (hiddenWindow != nullptr) backend::destroyNotifyWindow(hiddenWindow);
}

bool CSystemTray::Create(platform::LoopWindow parent, unsigned callbackMessage, const char* tooltip,
                         IconHandle icon, unsigned id) {
    // A second Create would add a second icon and lose the first one's window.
    if (hiddenWindow != nullptr) return false;
    if (!backend::shellVersionSupported()) {
        enabled = 0;
        return false;
    }
    hiddenWindow = backend::createNotifyWindow(*this);
    if (hiddenWindow == nullptr) {
        enabled = 0;
        return false;
    }
    iconData.size = sizeof(TrayIconData);
    iconData.window = parent != nullptr ? parent : hiddenWindow;
    iconData.id = id;
    iconData.callbackMessage = callbackMessage;
    iconData.icon = icon;
    iconData.flags = TrayFieldMessage | TrayFieldIcon | TrayFieldTip;
    copyTip(iconData.tip, tooltip);
    enabled = backend::shellNotify(backend::ShellAction::Add, iconData) ? 1 : 0;
    return enabled != 0;
}

bool CSystemTray::SetIcon(IconHandle icon) {
    if (!enabled) return false;
    iconData.icon = icon;
    iconData.flags = TrayFieldIcon;
    return backend::shellNotify(backend::ShellAction::Modify, iconData);
}

bool CSystemTray::SetIcon(unsigned resourceId) {
    if (!enabled) return false;
    // An icon that does not load leaves the current one rather than blanking the tray.
    IconHandle icon = backend::loadIcon(resourceId);
    if (icon == nullptr) return false;
    return SetIcon(icon);
}

bool CSystemTray::SetTooltipText(const char* text) {
    if (!enabled) return false;
    copyTip(iconData.tip, text);
    iconData.flags = TrayFieldTip;
    return backend::shellNotify(backend::ShellAction::Modify, iconData);
}

bool CSystemTray::SetMenuDefaultItem(unsigned item, bool byPosition) {
    if (defaultItem == item && (defaultByPosition != 0) == byPosition) return true;
    defaultItem = item;
    defaultByPosition = byPosition ? 1 : 0;
    return backend::markMenuDefault(iconData.id, item, byPosition);
}

void CSystemTray::RemoveIcon() {
    if (!enabled) return;
    iconData.flags = 0;
    backend::shellNotify(backend::ShellAction::Delete, iconData);
    enabled = 0;
}

void CSystemTray::SetTargetWindow(platform::LoopWindow window,
                                  platform::LoopWindowHandler* handler) {
    target = window;
    targetHandler = handler;
}

std::intptr_t CSystemTray::OnTrayNotification(std::uintptr_t wParam, std::intptr_t lParam) {
    if (wParam != iconData.id) return 0;
    // Without a main window there is nobody to show a menu for or to send a command to.
    if (target == nullptr) return 0;
    switch (static_cast<unsigned>(lParam) & 0xFFFF) {
    case TrayRightButtonUp:
        if (!backend::trackPopupMenu(iconData.id, defaultItem, defaultByPosition != 0, target,
                                     targetHandler)) {
            return 0;
        }
        break;
    case TrayLeftButtonDoubleClick: {
        backend::bringToForeground(target);
        unsigned command = defaultItem;
        if (defaultByPosition && !backend::menuCommandAt(iconData.id, defaultItem, command)) {
            return 0;
        }
        // A position on a separator or a sub-menu holds no command to send.
        if (command != 0) backend::sendMenuCommand(target, command);
        break;
    }
    case TrayLeftButtonUp:
        if (clickCommand >= 0)
            backend::sendMenuCommand(target, static_cast<unsigned>(clickCommand));
        break;
    default:
        break;
    }
    return 1;
}

IconHandle CSystemTray::InformationIcon() {
    return backend::informationIcon();
}

IconHandle CSystemTray::LoadTrayIcon(unsigned resourceId) {
    return backend::loadIcon(resourceId);
}

} // namespace gb::ui
