#include "engine/process_watch.h"

#include "engine/commands.h"

#include <cstdio>

namespace gb {

std::uint32_t ProcessWatch::attachDelayTicks(std::uint32_t checkPeriod) {
    return 10000U / (checkPeriod == 0 ? 1U : checkPeriod) + 1U;
}

void ProcessWatch::checkTick(bool running, std::uint32_t checkPeriod, std::uint32_t readPeriod) {
    if (running) {
        if (!host_.isAttached() && !transferStopped_) {
            ++attachDelayCount_;
            if (attachDelayCount_ >= attachDelayTicks(checkPeriod)) {
                attachDelayCount_ = 0;
                if (host_.attach()) beginTransfer(readPeriod);
            }
        }
        char tooltip[64];
        std::snprintf(tooltip, sizeof tooltip, "Calls: QP=%ld PH=%ld",
                      static_cast<long>(host_.qpCalls()), static_cast<long>(host_.phCalls()));
        host_.setTooltipText(tooltip);
    } else if (host_.isAttached()) {
        endTransfer();
    }
}

bool ProcessWatch::startTransfer(std::uint32_t readPeriod) {
    if (!canStart()) return false;
    transferStopped_ = false;
    if (!host_.attach()) return false;
    beginTransfer(readPeriod);
    return true;
}

bool ProcessWatch::stopTransfer() {
    if (!canStop()) return false;
    transferStopped_ = true;
    endTransfer();
    return true;
}

void ProcessWatch::beginTransfer(std::uint32_t readPeriod) {
    host_.startReadTimer(readPeriod);
    host_.setIcon(kTrayIconTransfer);
    host_.setMenuDefaultItem(kCommandTransferStop);
}

void ProcessWatch::endTransfer() {
    host_.killReadTimer();
    host_.detach();
    host_.setIcon(kTrayIconIdle);
    host_.setMenuDefaultItem(kCommandTransferStart);
}

} // namespace gb
