#include "ui/tray_input.h"

#include "ui/tray_menu.h"

namespace gb::ui {

namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trim(std::string_view s) {
    // A script saved by a Windows editor may start with a UTF-8 byte order mark.
    if (s.starts_with("\xEF\xBB\xBF")) s.remove_prefix(3);
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool matchesAny(std::string_view word, std::initializer_list<std::string_view> names) {
    for (std::string_view name : names) {
        if (equalsNoCase(word, name)) return true;
    }
    return false;
}

// A decimal number that the menu holds; no sign, no overflow past the menu's range.
bool parseCommandNumber(std::string_view word, unsigned& command) {
    if (word.empty() || word.size() > 5) return false;
    unsigned value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (findTrayMenuCommand(value) == nullptr) return false;
    command = value;
    return true;
}

bool matchesEntry(std::string_view word, const TrayMenuEntry& entry) {
    char plain[64];
    plainMenuText(entry.text, plain, sizeof plain);
    std::string_view text = plain;
    std::string_view noDots = text;
    if (noDots.ends_with("...")) noDots.remove_suffix(3);
    return equalsNoCase(word, entry.text) || equalsNoCase(word, text) ||
           equalsNoCase(word, noDots) || equalsNoCase(word, entry.symbol) ||
           equalsNoCase(word, entry.shortName);
}

} // namespace

TrayInput parseTrayInput(std::string_view line) {
    using Kind = TrayInput::Kind;
    std::string_view word = trim(line);
    if (word.empty()) return {Kind::Blank, 0};
    for (char c : word) {
        // Control characters (a NUL from a binary file, an escape sequence) never name anything.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return {Kind::Unknown, 0};
    }
    if (word == "?") return {Kind::Usage, 0};
    if (matchesAny(word, {"menu", "right-click", "right click", "rightclick"})) {
        return {Kind::RightClick, 0};
    }
    if (matchesAny(word, {"double-click", "double click", "doubleclick", "dblclick"})) {
        return {Kind::DoubleClick, 0};
    }
    if (matchesAny(word, {"click", "left-click", "left click"})) return {Kind::Click, 0};
    unsigned command = 0;
    if (parseCommandNumber(word, command)) return {Kind::Command, command};
    for (const TrayMenuEntry& entry : trayMenuEntries()) {
        if (entry.kind == TrayMenuKind::Item && matchesEntry(word, entry)) {
            return {Kind::Command, entry.command};
        }
    }
    return {Kind::Unknown, 0};
}

} // namespace gb::ui
