#include "platform/device_port.h"

namespace gb::platform {

// Linked only into builds without the emulator client: nothing can be reached by address.
DevicePortBackend* emulatorClientBackend(const char*) {
    return nullptr;
}

} // namespace gb::platform
