#pragma once
// The dialogs the program's menu opens (general configuration, the definition lists, the about
// box). Null until the dialogs are built in: the frame then says that a dialog is not available.

#include "engine/main_frame.h"

namespace gb {

FrameDialogs* programDialogs();

} // namespace gb
