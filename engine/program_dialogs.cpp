#include "engine/program_dialogs.h"

namespace gb {

FrameDialogs* programDialogs() {
    return nullptr;
}

} // namespace gb
