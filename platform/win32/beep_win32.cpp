#include "platform/beep.h"

#include <windows.h>

namespace gb::platform {

void systemBeep(unsigned frequencyHz, unsigned durationMs) {
    Beep(frequencyHz, durationMs);
}

} // namespace gb::platform
