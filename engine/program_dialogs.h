#pragma once
// The dialogs the program's menu opens: general configuration, the definition lists and the
// about box, each run modally over the main frame.

#include "engine/main_frame.h"

namespace gb {

// The program's one set of dialogs; `frame` owns them (their boxes and dialogs are its children).
FrameDialogs* programDialogs();

} // namespace gb
