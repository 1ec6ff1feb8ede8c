#pragma once
// The device port served by emulated cards in this process: tests install it with
// gb::platform::setDevicePortBackend, and the library's opens of "\\.\QUARNISADevice0" and
// "\\.\QUARNUSBDevice<n>" reach card 0 and card n + 1. One packet log records every card's
// packets in order.

#include "platform/device_port.h"
#include "tools/card_emulator/card.h"

#include <array>
#include <memory>

namespace gb::emu {

class EmulatedPort : public gb::platform::DevicePortBackend {
public:
    // All eight cards are plugged in at first.
    EmulatedPort();

    Card& card(int device) { return *cards_[device & 7]; }
    PacketLog& log() { return log_; }

    // An unplugged card's device object does not exist: its open fails.
    void plug(int device, bool present) { present_[device & 7] = present; }
    bool isOpen(int device) const { return open_[device & 7]; }
    int openCount() const;
    // Loads a script (see card.h) into the cards it names. False with `error` on a bad script.
    bool loadScript(const std::string& text, std::string& error);

    gb::platform::DeviceHandle open(const char* name) override;
    bool write(gb::platform::DeviceHandle handle, const void* data, std::uint32_t length,
               std::uint32_t* written) override;
    bool read(gb::platform::DeviceHandle handle, void* data, std::uint32_t length,
              std::uint32_t* read) override;
    bool control(gb::platform::DeviceHandle handle, std::uint32_t code, const void* in,
                 std::uint32_t inLength, void* out, std::uint32_t outLength,
                 std::uint32_t* returned) override;
    bool close(gb::platform::DeviceHandle handle) override;

private:
    Card* cardOf(gb::platform::DeviceHandle handle);

    PacketLog log_;
    std::array<std::unique_ptr<Card>, 8> cards_;
    std::array<bool, 8> present_{};
    std::array<bool, 8> open_{};
};

// Installs an EmulatedPort for the lifetime of a scope and puts the previous backend back.
class ScopedEmulatedPort {
public:
    ScopedEmulatedPort() : previous_(gb::platform::setDevicePortBackend(&port_)) {}
    ~ScopedEmulatedPort() { gb::platform::setDevicePortBackend(previous_); }
    ScopedEmulatedPort(const ScopedEmulatedPort&) = delete;
    ScopedEmulatedPort& operator=(const ScopedEmulatedPort&) = delete;
    EmulatedPort& operator*() { return port_; }
    EmulatedPort* operator->() { return &port_; }

private:
    EmulatedPort port_;
    gb::platform::DevicePortBackend* previous_;
};

} // namespace gb::emu
