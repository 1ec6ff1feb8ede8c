// The console tray's connection to the native loop. Kept apart so that tests of the tray link
// without the loop windows.
#include "ui/framework/headless/console_tray.h"

namespace gb::ui {

namespace {

void onInputLine(void* context, const char* line) {
    if (line == nullptr) return; // end of input: the program runs on until Exit or a signal
    handleTrayInputLine(*static_cast<CSystemTray*>(context), line);
}

} // namespace

bool connectTrayToStandardInput(CSystemTray& tray) {
    setTrayCommandSink({platform::postCommand, platform::sendCommand});
    return platform::setStandardInputHandler(onInputLine, &tray);
}

} // namespace gb::ui
