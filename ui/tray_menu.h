#pragma once
// The tray's pop-up menu as data: the same items, ids and order as menu IDR_TRAYMENU in
// glowbridge.rc. The console tray shows and reads the menu from this table; the Windows build's
// tests check the compiled resource against it, which keeps the two in step.

#include <cstddef>
#include <span>
#include <string_view>

namespace gb::ui {

enum class TrayMenuKind {
    Item,
    Separator,
    Popup,
};

struct TrayMenuEntry {
    TrayMenuKind kind;
    int depth;             // 0: in the tray's pop-up; 1: in the "&Configuration" sub-menu
    const char* text;      // the item's text, with its '&' mnemonic marker
    unsigned command;      // menu command; 0 for separators and sub-menus
    const char* symbol;    // the command's name in resource.h
    const char* shortName; // one word for the console tray
};

// Top to bottom, sub-menu items right after their "&Configuration" entry.
std::span<const TrayMenuEntry> trayMenuEntries();

// The entry with this command number, or nullptr.
const TrayMenuEntry* findTrayMenuCommand(unsigned command);

// The entry at `position` among the top-level entries of the pop-up (the way the shell counts
// positions), or nullptr past the end.
const TrayMenuEntry* trayMenuEntryAt(unsigned position);

// The item's text without its '&' marker ("&Start transfer" -> "Start transfer").
std::size_t plainMenuText(const char* text, char* out, std::size_t outSize);

// The command's name from resource.h, or nullptr for a number the menu does not hold.
const char* trayCommandSymbol(unsigned command);

} // namespace gb::ui
