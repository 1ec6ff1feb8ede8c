#include "platform/termination_backend.h"

#include <csignal>

namespace gb::platform::termination_backend {

namespace {

volatile std::sig_atomic_t requested = 0;

extern "C" void onSignal(int) {
    requested = 1;
}

bool setAction(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

} // namespace

bool install() {
    requested = 0;
    return setAction(onSignal);
}

void uninstall() {
    setAction(SIG_DFL);
}

bool takeRequest() {
    if (requested == 0) return false;
    requested = 0;
    return true;
}

} // namespace gb::platform::termination_backend
