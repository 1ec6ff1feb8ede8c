#pragma once
// What one line typed to the console tray asks for. Pure: no output, no window; the console
// tray (ui/framework/headless/console_tray.h) carries the result out.
//
// Accepted, ignoring letter case, blanks around the line (a trailing CR too) and a leading UTF-8
// byte order mark:
//   a menu item's text, with or without its '&' and its "..." ("Start transfer", "&Help...");
//   its one-word name (start, stop, general, qpflags, phflags, analog, about, help, exit);
//   its name from resource.h (ID_TRANSFER_START); its number (32772);
//   "menu" or "right-click": show the pop-up as a right click does;
//   "double-click": run the default item as a double click does;
//   "click": a single left click;
//   "?": list what can be typed.
// Numbers count only when the menu holds them; anything else is Unknown.

#include <string_view>

namespace gb::ui {

struct TrayInput {
    enum class Kind {
        Blank,
        Command,
        RightClick,
        DoubleClick,
        Click,
        Usage,
        Unknown,
    };
    Kind kind = Kind::Blank;
    unsigned command = 0; // for Command
};

TrayInput parseTrayInput(std::string_view line);

} // namespace gb::ui
