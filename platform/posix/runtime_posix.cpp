#include "platform/runtime.h"

namespace gb::platform {

bool runningUnderWine() {
    return false;
}

} // namespace gb::platform
