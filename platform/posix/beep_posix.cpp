#include "platform/beep.h"

#include <unistd.h>

namespace gb::platform {

// A terminal has no tone of a given pitch; its bell is the nearest thing. Output that goes to a
// file or a pipe gets no control character.
void systemBeep(unsigned, unsigned) {
    if (isatty(STDERR_FILENO) == 1) {
        const char bell = '\a';
        [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, &bell, 1);
    }
}

} // namespace gb::platform
