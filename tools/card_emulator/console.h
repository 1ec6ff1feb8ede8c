#pragma once
// The emulator program's terminal: whether standard output is one, and switching on the escape
// sequences the refreshing view uses. Backends: console_posix.cpp, console_win32.cpp.

namespace gb::emu {

bool outputIsTerminal();
// False when the terminal does not take escape sequences (the view then prints plainly).
bool enableTerminalEscapes();

} // namespace gb::emu
