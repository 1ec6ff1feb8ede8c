#pragma once
// The device library QUARNIO loaded afresh in the test's own process over a device port backend
// of the test's choice (the scripted FakePort, the emulated cards, an emulator client), and
// unloaded again at the end of the scope, with the previous backend put back. Header-only: a test
// that uses it links quarnio_core.

#include "platform/device_port.h"
#include "platform/event_loop.h"
#include "quarnio/library.h"
#include "quarnio/quarnio.h"

namespace gb::test {

struct QuarnioSessionOptions {
    // The loop's simulated clock: the ISA exchanges' waits and the poll timer cost no real time
    // (natively; the Windows build has no such clock and runs on the real one).
    bool simulatedClock = true;
    // _CloseAllHandles(0) before unloading, as a program ends with devices still open.
    bool closeAllAtEnd = true;
};

class QuarnioSession {
public:
    explicit QuarnioSession(platform::DevicePortBackend& port, QuarnioSessionOptions options = {})
        : options_(options) {
        if (options_.simulatedClock) simulated_ = platform::useSimulatedClock(true);
        previous_ = platform::setDevicePortBackend(&port);
        quarnio::unloadForTests();
        loaded_ = quarnio::loadEntry(1);
    }
    ~QuarnioSession() {
        if (options_.closeAllAtEnd) _CloseAllHandles(0);
        quarnio::loadEntry(0);
        quarnio::unloadForTests();
        platform::setDevicePortBackend(previous_);
        if (options_.simulatedClock) platform::useSimulatedClock(false);
    }
    QuarnioSession(const QuarnioSession&) = delete;
    QuarnioSession& operator=(const QuarnioSession&) = delete;

    // False when the load-time entry failed (no poll timer); tests assert on it first.
    bool loaded() const { return loaded_; }
    // True when the simulated clock runs this session.
    bool simulatedClock() const { return simulated_; }

private:
    QuarnioSessionOptions options_;
    platform::DevicePortBackend* previous_ = nullptr;
    bool loaded_ = false;
    bool simulated_ = false;
};

} // namespace gb::test
