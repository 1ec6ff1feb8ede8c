#pragma once
// The console tray: CSystemTray's native backend. It has no icon to show, so every change is
// written as one line, and the mouse and the menu come from standard-input lines.
//
// Lines written (standard output by default, flushed line by line):
//   tray: add icon <icon> tooltip <text>       Create added the icon
//   tray: icon <icon>                          SetIcon
//   tray: tooltip <text>                       SetTooltipText
//   tray: default <command>                    SetMenuDefaultItem by command
//   tray: default position <n>                 SetMenuDefaultItem by position
//   tray: remove                               RemoveIcon
//   tray: menu                                 a right click ("menu"): the pop-up follows,
//   tray:   <number> <text>[ (default)][ (greyed)]   one line per item, sub-menu items
//   tray:   ---                                      indented by two more blanks,
//   tray:   <text> >                                 separators as ---, sub-menus with " >",
//   tray: end menu                                   texts without their '&'
//   tray: command <command>                    a typed menu choice, posted to the main window
//   tray: greyed <command>                     a typed choice the main window has disabled
//   tray: send <command>                       a double click's command, sent at once
//   tray: unknown input "<text>"               a line that names nothing (see tray_input.h)
// <icon> is the resource name (IDI_TRAY_IDLE, IDI_TRAY_TRANSFER, IDI_TRAY_NOCARD, IDR_MAINFRAME,
// IDI_INFORMATION for the system's icon); <command> the name from resource.h, or the number when
// the menu does not hold it. In texts, control characters and backslashes are written as \xNN
// and \\, so a line never breaks.

#include "ui/system_tray.h"

#include <string_view>

namespace gb::ui {

// Where the lines go; nullptr: standard output. The line comes without its line end.
using TrayLineWriter = void (*)(void* context, const char* line);
void setTrayLineWriter(TrayLineWriter writer, void* context);

// Makes the stand-in shell refuse (true) or accept (false) every add, modify and delete, as a
// system without a notification area would.
void setTrayShellRefuses(bool refuse);

// How commands reach the main window: post for a menu choice, send for a double click. Unset
// (the start), commands are only written out. The program sets the loop's postCommand /
// sendCommand (engine/console_link.h); tests set recorders.
struct TrayCommandSink {
    bool (*post)(platform::LoopWindow window, unsigned command) = nullptr;
    bool (*send)(platform::LoopWindow window, unsigned command) = nullptr;
};
void setTrayCommandSink(const TrayCommandSink& sink);

// Carries out one typed line for the tray (parseTrayInput, then a notification or a command to
// the tray's target window).
void handleTrayInputLine(CSystemTray& tray, std::string_view line);

} // namespace gb::ui
