#include "engine/console_link.h"

#include "platform/event_loop.h"
#include "ui/framework/dialog_console.h"
#include "ui/framework/headless/console_tray.h"

#include <cstdio>
#include <string>

namespace gb {

namespace {

// One standard-input channel serves both: while a dialog is open its lines act on the dialog
// (see dialog_console.h), otherwise on the tray.
void onInputLine(void* context, const char* line) {
    if (line == nullptr) return; // end of input: the program runs on until Exit or a signal
    std::string reply;
    if (ui::runDialogCommand(line, reply)) {
        std::fputs(reply.c_str(), stdout);
        std::fflush(stdout);
        return;
    }
    ui::handleTrayInputLine(*static_cast<ui::CSystemTray*>(context), line);
}

} // namespace

bool connectConsoleTray(ui::CSystemTray& tray) {
    ui::setTrayCommandSink({platform::postCommand, platform::sendCommand});
    return platform::setStandardInputHandler(onInputLine, &tray);
}

} // namespace gb
