#include "platform/message_box.h"

#include <cstdio>

namespace gb::platform {

// Without a desktop the box goes to standard error and takes its default button, so the program
// behaves as if a user had pressed Enter.
int systemMessageBox(WindowHandle, const char* text, const char* caption, unsigned style) {
    std::fprintf(stderr, "[%s] %s\n", caption != nullptr ? caption : "",
                 text != nullptr ? text : "");
    std::fflush(stderr);
    return defaultButton(style);
}

} // namespace gb::platform
