#pragma once
// What the screenshot program needs from the window system: the pixels of shown windows, the
// pop-up menus this thread tracks, and a person's keys and mouse for them. Windows only
// (window_capture_win32.cpp); the program shows the real dialogs and menus.

#include "platform/message_box.h"

#include <string>
#include <vector>

namespace gb::shots {

using platform::WindowHandle;

// Redraws the windows at once and writes what they show to a 32-bit BMP file: the smallest
// rectangle holding all of them, pixels outside every window transparent (alpha 0), later windows
// drawn over earlier ones. Each window is read through its own device context. The caret is
// hidden first, so its blinking never shows. False when a window is not shown or the file cannot
// be written.
bool captureWindows(const std::vector<WindowHandle>& windows, const std::string& bmpPath);

// Makes Wine's own fonts in `folder` (MS Sans Serif, Tahoma, Marlett) usable by this program
// alone, as if installed, and draws captions and menus in Tahoma, as Wine does when its fonts are
// installed. False when a font does not load.
bool useWineFonts(const std::string& folder);

// Makes the window the active foreground window, as a person's click on it would: its caption
// shows active.
void activate(WindowHandle window);

// The labels, buttons, check boxes and group box titles of a dialog whose text does not fit the
// control in the dialog's font (a label may wrap onto the lines its height holds), as
// "id 1025 \"&Send to QUARN\": 80 of 75 pixels wide".
std::vector<std::string> clippedTexts(WindowHandle dialog);

// The pop-up menus of this thread now shown, the one opened first first.
std::vector<WindowHandle> shownMenus();

enum class MenuKey {
    Down,
    Right,
};
// A key press for the menu this thread tracks (queued: the menu takes it from its loop).
void pressMenuKey(WindowHandle anyWindowOfThisThread, MenuKey key);
// Closes the tracked menu as a click elsewhere would, without a command.
void endMenu();

// Moves the mouse pointer (screen coordinates); a pop-up menu opens where it points.
void placeCursor(int x, int y);

} // namespace gb::shots
