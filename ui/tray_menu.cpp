#include "ui/tray_menu.h"

#include "ui/resource.h"

namespace gb::ui {

namespace {

using K = TrayMenuKind;

constexpr TrayMenuEntry kEntries[] = {
    {K::Item, 0, "About Glowbridge...", ID_APP_ABOUT, "ID_APP_ABOUT", "about"},
    {K::Item, 0, "&Help...", ID_HELP_FINDER, "ID_HELP_FINDER", "help"},
    {K::Separator, 0, "", 0, "", ""},
    {K::Popup, 0, "&Configuration", 0, "", ""},
    {K::Item, 1, "&General...", ID_CONFIG_GENERAL, "ID_CONFIG_GENERAL", "general"},
    {K::Separator, 1, "", 0, "", ""},
    {K::Item, 1, "&Flags over QProc...", ID_CONFIG_QPFLAGS, "ID_CONFIG_QPFLAGS", "qpflags"},
    {K::Item, 1, "F&lags over PHs...", ID_CONFIG_PHFLAGS, "ID_CONFIG_PHFLAGS", "phflags"},
    {K::Item, 1, "&Analog datas...", ID_CONFIG_ANALOG, "ID_CONFIG_ANALOG", "analog"},
    {K::Separator, 0, "", 0, "", ""},
    {K::Item, 0, "&Start transfer", ID_TRANSFER_START, "ID_TRANSFER_START", "start"},
    {K::Item, 0, "&Stop transfer", ID_TRANSFER_STOP, "ID_TRANSFER_STOP", "stop"},
    {K::Separator, 0, "", 0, "", ""},
    {K::Item, 0, "Exit", ID_APP_EXIT, "ID_APP_EXIT", "exit"},
};

} // namespace

std::span<const TrayMenuEntry> trayMenuEntries() {
    return kEntries;
}

const TrayMenuEntry* findTrayMenuCommand(unsigned command) {
    if (command == 0) return nullptr;
    for (const TrayMenuEntry& entry : kEntries) {
        if (entry.kind == K::Item && entry.command == command) return &entry;
    }
    return nullptr;
}

const TrayMenuEntry* trayMenuEntryAt(unsigned position) {
    unsigned index = 0;
    for (const TrayMenuEntry& entry : kEntries) {
        if (entry.depth != 0) continue;
        if (index == position) return &entry;
        ++index;
    }
    return nullptr;
}

std::size_t plainMenuText(const char* text, char* out, std::size_t outSize) {
    if (outSize == 0) return 0;
    std::size_t n = 0;
    for (const char* p = text; *p != '\0' && n + 1 < outSize; ++p) {
        if (*p == '&') continue;
        out[n++] = *p;
    }
    out[n] = '\0';
    return n;
}

const char* trayCommandSymbol(unsigned command) {
    const TrayMenuEntry* entry = findTrayMenuCommand(command);
    return entry != nullptr ? entry->symbol : nullptr;
}

} // namespace gb::ui
