#include "tools/card_emulator/console.h"

#include <unistd.h>

namespace gb::emu {

bool outputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

bool enableTerminalEscapes() {
    return true;
}

} // namespace gb::emu
