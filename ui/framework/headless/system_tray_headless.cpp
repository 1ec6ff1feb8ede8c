// The console tray: the shell, icons and the menu of the native build (see console_tray.h).
#include "ui/framework/headless/console_tray.h"
#include "ui/framework/tray_backend.h"
#include "ui/resource.h"
#include "ui/tray_input.h"
#include "ui/tray_menu.h"

#include <cstdio>
#include <string>

namespace gb::ui {

namespace {

TrayLineWriter gWriter = nullptr;
void* gWriterContext = nullptr;
bool gShellRefuses = false;
TrayCommandSink gSink;

void writeLine(const std::string& line) {
    if (gWriter != nullptr) {
        gWriter(gWriterContext, line.c_str());
        return;
    }
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, c == '\\' ? "\\\\" : "\\x%02X", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::string commandName(unsigned command) {
    const char* symbol = trayCommandSymbol(command);
    return symbol != nullptr ? std::string(symbol) : std::to_string(command);
}

// Stand-in icon handles: each points at its entry, so the line can name the icon.
struct IconEntry {
    unsigned id;
    const char* name;
};
constexpr IconEntry kIcons[] = {
    {IDR_MAINFRAME, "IDR_MAINFRAME"},
    {IDI_TRAY_IDLE, "IDI_TRAY_IDLE"},
    {IDI_TRAY_TRANSFER, "IDI_TRAY_TRANSFER"},
    {IDI_TRAY_NOCARD, "IDI_TRAY_NOCARD"},
};
constexpr IconEntry kInformationIcon = {32516, "IDI_INFORMATION"};

std::string iconName(IconHandle icon) {
    if (icon == nullptr) return "none";
    if (icon == &kInformationIcon) return kInformationIcon.name;
    for (const IconEntry& entry : kIcons) {
        if (icon == &entry) return entry.name;
    }
    return "other";
}

bool menuLoads(unsigned menuId) {
    return menuId == IDR_TRAYMENU;
}

bool isDefault(const TrayMenuEntry& entry, unsigned defaultItem, bool byPosition) {
    if (byPosition) return trayMenuEntryAt(defaultItem) == &entry;
    return entry.kind == TrayMenuKind::Item && entry.command == defaultItem;
}

void writeMenu(unsigned defaultItem, bool byPosition, platform::LoopWindowHandler* handler) {
    writeLine("tray: menu");
    for (const TrayMenuEntry& entry : trayMenuEntries()) {
        std::string line = "tray:   ";
        if (entry.depth > 0) line += "  ";
        char text[64];
        plainMenuText(entry.text, text, sizeof text);
        switch (entry.kind) {
        case TrayMenuKind::Separator:
            line += "---";
            break;
        case TrayMenuKind::Popup:
            line += text;
            line += " >";
            break;
        case TrayMenuKind::Item:
            line += std::to_string(entry.command) + " " + text;
            if (isDefault(entry, defaultItem, byPosition)) line += " (default)";
            if (handler != nullptr && !handler->isCommandEnabled(entry.command)) {
                line += " (greyed)";
            }
            break;
        }
        writeLine(line);
    }
    writeLine("tray: end menu");
}

void writeUsage() {
    writeLine("tray: type a menu item by its text, number or one word (about, help, general, "
              "qpflags, phflags, analog, start, stop, exit), or menu, double-click, click");
}

} // namespace

void setTrayLineWriter(TrayLineWriter writer, void* context) {
    gWriter = writer;
    gWriterContext = context;
}

void setTrayShellRefuses(bool refuse) {
    gShellRefuses = refuse;
}

void setTrayCommandSink(const TrayCommandSink& sink) {
    gSink = sink;
}

void handleTrayInputLine(CSystemTray& tray, std::string_view line) {
    TrayInput input = parseTrayInput(line);
    const auto id = static_cast<std::uintptr_t>(tray.GetIconData().id);
    switch (input.kind) {
    case TrayInput::Kind::Blank:
        return;
    case TrayInput::Kind::Usage:
        writeUsage();
        return;
    case TrayInput::Kind::Unknown:
        writeLine("tray: unknown input \"" + escaped(line) + "\"");
        return;
    case TrayInput::Kind::RightClick:
        tray.OnTrayNotification(id, TrayRightButtonUp);
        return;
    case TrayInput::Kind::DoubleClick:
        tray.OnTrayNotification(id, TrayLeftButtonDoubleClick);
        return;
    case TrayInput::Kind::Click:
        tray.OnTrayNotification(id, TrayLeftButtonUp);
        return;
    case TrayInput::Kind::Command:
        break;
    }
    // A typed choice is a pick from the pop-up, where a greyed item cannot be chosen.
    platform::LoopWindowHandler* handler = tray.GetTargetHandler();
    if (handler != nullptr && !handler->isCommandEnabled(input.command)) {
        writeLine("tray: greyed " + commandName(input.command));
        return;
    }
    writeLine("tray: command " + commandName(input.command));
    if (gSink.post != nullptr && tray.GetTargetWindow() != nullptr) {
        gSink.post(tray.GetTargetWindow(), input.command);
    }
}

namespace tray_backend {

bool shellVersionSupported() {
    return true;
}

platform::LoopWindow createNotifyWindow(CSystemTray& tray) {
    return &tray;
}

void destroyNotifyWindow(platform::LoopWindow) {}

bool shellNotify(ShellAction action, const TrayIconData& data) {
    if (gShellRefuses) return false;
    switch (action) {
    case ShellAction::Add:
        writeLine("tray: add icon " + iconName(data.icon) + " tooltip " + escaped(data.tip));
        break;
    case ShellAction::Modify:
        if (data.flags & TrayFieldIcon) writeLine("tray: icon " + iconName(data.icon));
        if (data.flags & TrayFieldTip) writeLine("tray: tooltip " + escaped(data.tip));
        break;
    case ShellAction::Delete:
        writeLine("tray: remove");
        break;
    }
    return true;
}

IconHandle loadIcon(unsigned resourceId) {
    for (const IconEntry& entry : kIcons) {
        if (entry.id == resourceId) return const_cast<IconEntry*>(&entry);
    }
    return nullptr;
}

IconHandle informationIcon() {
    return const_cast<IconEntry*>(&kInformationIcon);
}

bool markMenuDefault(unsigned menuId, unsigned item, bool byPosition) {
    if (!menuLoads(menuId)) return false;
    writeLine(byPosition ? "tray: default position " + std::to_string(item)
                         : "tray: default " + commandName(item));
    return true;
}

bool menuCommandAt(unsigned menuId, unsigned position, unsigned& command) {
    if (!menuLoads(menuId)) return false;
    const TrayMenuEntry* entry = trayMenuEntryAt(position);
    command = entry != nullptr ? entry->command : 0;
    return true;
}

bool trackPopupMenu(unsigned menuId, unsigned defaultItem, bool byPosition, platform::LoopWindow,
                    platform::LoopWindowHandler* handler) {
    if (!menuLoads(menuId)) return false;
    writeMenu(defaultItem, byPosition, handler);
    return true;
}

void bringToForeground(platform::LoopWindow) {}

void sendMenuCommand(platform::LoopWindow target, unsigned command) {
    writeLine("tray: send " + commandName(command));
    if (gSink.send != nullptr) gSink.send(target, command);
}

} // namespace tray_backend

} // namespace gb::ui
