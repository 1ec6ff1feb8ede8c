#include "platform/termination.h"

#include "platform/event_loop.h"
#include "platform/termination_backend.h"

namespace gb::platform {

namespace {

TerminationHandler installedHandler = nullptr;
void* installedContext = nullptr;
TimerId watchTimer = 0;

constexpr std::uint32_t kWatchPeriodMs = 100;

// The signal only raises a flag; the loop's thread acts on it here.
void watchTick(TimerId) {
    if (!termination_backend::takeRequest() || installedHandler == nullptr) return;
    installedHandler(installedContext);
}

} // namespace

bool setTerminationHandler(TerminationHandler handler, void* context) {
    if (watchTimer != 0) {
        killThreadTimer(watchTimer);
        watchTimer = 0;
    }
    installedHandler = handler;
    installedContext = context;
    if (handler == nullptr) {
        termination_backend::uninstall();
        return true;
    }
    if (!termination_backend::install()) return false;
    watchTimer = setThreadTimer(kWatchPeriodMs, watchTick);
    return watchTimer != 0;
}

} // namespace gb::platform
