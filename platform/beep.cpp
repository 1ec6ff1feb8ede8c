#include "platform/beep.h"

namespace gb::platform {

namespace {
BeepListener* g_listener = nullptr;
}

void beep(unsigned frequencyHz, unsigned durationMs) {
    if (g_listener != nullptr) return g_listener->beeped(frequencyHz, durationMs);
    systemBeep(frequencyHz, durationMs);
}

BeepListener* setBeepListener(BeepListener* listener) {
    BeepListener* previous = g_listener;
    g_listener = listener;
    return previous;
}

} // namespace gb::platform
