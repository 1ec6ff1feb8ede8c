#include "platform/runtime.h"

namespace gb::platform {

bool runningUnderWine() {
    return false;
}

const char* textLineEnd() {
    return "\n";
}

} // namespace gb::platform
