#include "tools/console/console.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace gb::tools {

namespace {
volatile std::sig_atomic_t g_stop = 0;

extern "C" void onStopSignal(int) {
    g_stop = 1;
}
} // namespace

void installStopHandler() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool stopRequested() {
    return g_stop != 0;
}

bool stdoutIsTerminal() {
    return isatty(STDOUT_FILENO) == 1;
}

bool enableAnsiEscapes() {
    return true;
}

bool stdoutIsAnsiTerminal() {
    const char* term = std::getenv("TERM");
    return stdoutIsTerminal() && term != nullptr && std::strcmp(term, "dumb") != 0;
}

} // namespace gb::tools
