// Glowbridge: the tray program. Start-up, then the loop until Exit or a close request.

#include "engine/application.h"
#include "engine/console_link.h"
#include "engine/program_dialogs.h"
#include "platform/event_loop.h"
#include "platform/program_arguments.h"
#include "platform/termination.h"
#include "ui/framework/user.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// A signal closes as WM_CLOSE does: timers stopped, card closed, tray icon removed.
void closeMainFrame(void* context) {
    auto* app = static_cast<gb::CGlowbridgeApp*>(context);
    if (app->mainFrame() != nullptr && app->mainFrame()->window() != nullptr)
        gb::platform::postClose(app->mainFrame()->window());
}

} // namespace

int main(int argc, char** argv) {
    // Alone on the command line; otherwise arguments are the start-up switches' business.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s %s\n", gb::kApplicationName, GB_PROGRAM_VERSION);
        return 0;
    }
    gb::platform::setProgramArguments(argc, argv);
    const std::string arguments = gb::platform::programArguments();
    gb::CGlowbridgeApp app;
    if (!app.InitInstance(arguments.c_str(), gb::programDialogs())) return 1;
    // Dialogs opened from the menu belong to the main frame's window.
    gb::ui::setMainWindow(app.mainFrame()->window());
    gb::connectConsoleTray(app.mainFrame()->tray());
    gb::platform::setTerminationHandler(closeMainFrame, &app);
    const int code = app.Run();
    gb::ui::setMainWindow(nullptr);
    gb::platform::setTerminationHandler(nullptr, nullptr);
    return code;
}
