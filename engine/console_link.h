#pragma once
// The native program's console: the tray prints its changes on standard output and takes the
// mouse and the menu from standard-input lines. The end of input changes nothing; the program
// runs on until Exit, a close request or a signal. The Windows program has no console: its tray
// is the shell's.

#include "ui/system_tray.h"

namespace gb {

// False where there is no console tray (Windows).
bool connectConsoleTray(ui::CSystemTray& tray);

} // namespace gb
