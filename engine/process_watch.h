#pragma once
// The simulator process watch: on every CHECK_TIMER tick it is told whether the simulator's
// process runs; it attaches the shared memory once the process has been seen long enough, starts
// the transfer (READ_TIMER) and shows it in the tray, and ends the transfer when the process is
// gone. The user's Start and Stop transfer commands are its manual transitions.
//
// States: Waiting (not attached, not stopped), Transferring (attached), Stopped (not attached,
// stopped by the user; survives the simulator's exit and restart until "Start transfer").

#include <cstdint>

namespace gb {

// What the watch acts on; the main frame implements it over its SharedMemorySource, window
// timers, tray icon and DeviceBinding.
class ProcessWatchHost {
public:
    virtual ~ProcessWatchHost() = default;

    // SharedMemorySource: a failed attach has shown its own message box.
    virtual bool attach() = 0;
    virtual void detach() = 0;
    virtual bool isAttached() const = 0;

    virtual void startReadTimer(std::uint32_t periodMs) = 0;
    virtual void killReadTimer() = 0;

    // Tray icon (kTrayIcon* of engine/commands.h), default menu item (kCommand*), tooltip.
    virtual void setIcon(int iconId) = 0;
    virtual void setMenuDefaultItem(unsigned command) = 0;
    virtual void setTooltipText(const char* text) = 0;

    // DeviceBinding.
    virtual std::int32_t qpCalls() const = 0;
    virtual std::int32_t phCalls() const = 0;
    virtual bool isCardOpen() const = 0;
};

class ProcessWatch {
public:
    explicit ProcessWatch(ProcessWatchHost& host) : host_(host) {}

    // One CHECK_TIMER tick. `running`: platform::isProcessRunning of the "F4CheckProc" setting.
    // The current periods are passed each time: the general configuration dialog may change
    // them, and a new checkPeriod changes the attach delay at once. The attach is tried on the
    // tick at which the process has been seen on 10000 / checkPeriod + 1 ticks while waiting
    // (a checkPeriod of 0 counts as 1 ms). While the process runs the tooltip shows the call
    // counts "Calls: QP=%ld PH=%ld".
    void checkTick(bool running, std::uint32_t checkPeriod, std::uint32_t readPeriod);

    // ID_TRANSFER_START: attaches at once, without a process test or delay. Carried out only
    // when enabled (canStart); false when not carried out or the attach failed.
    bool startTransfer(std::uint32_t readPeriod);
    // ID_TRANSFER_STOP: detaches and stays stopped until startTransfer. Carried out only when
    // enabled (canStop); false when not carried out.
    bool stopTransfer();

    // The commands' enable rules, for the menu and for the tray's double click.
    bool canStart() const { return !host_.isAttached() && host_.isCardOpen(); }
    bool canStop() const { return host_.isAttached(); }

    bool transferStopped() const { return transferStopped_; }
    std::uint32_t attachDelayCount() const { return attachDelayCount_; }

    // Ticks on which the process must have been seen before the automatic attach is tried.
    static std::uint32_t attachDelayTicks(std::uint32_t checkPeriod);

private:
    void beginTransfer(std::uint32_t readPeriod);
    void endTransfer();

    ProcessWatchHost& host_;
    bool transferStopped_ = false;
    // Ticks that saw the process while waiting; reset only when an attach is tried.
    std::uint32_t attachDelayCount_ = 0;
};

} // namespace gb
