#include "platform/message_box.h"

#include <windows.h>

namespace gb::platform {

int systemMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
    return MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

} // namespace gb::platform
