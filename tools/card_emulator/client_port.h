#pragma once
// The device port backend that reaches quarn-emulator programs over their endpoints. The library
// gets one through gb::platform::emulatorClientBackend when QUARNIO_EMULATOR is set; tests make
// their own for an address of their choice.

#include "platform/device_port.h"

#include <memory>
#include <string>

namespace gb::emu {

std::unique_ptr<gb::platform::DevicePortBackend> makeEmulatorClient(const std::string& address);

} // namespace gb::emu
