#include "platform/device_port.h"

#include <cstdlib>

namespace gb::platform {

// The backend of the build when no emulator is named: the driver on Windows, none natively.
DevicePortBackend& nativeDevicePortBackend();

namespace {

DevicePortBackend* installed = nullptr;

DevicePortBackend& defaultBackend() {
    static DevicePortBackend* chosen = [] {
        const char* address = std::getenv("QUARNIO_EMULATOR");
        if (address != nullptr && address[0] != '\0') {
            if (DevicePortBackend* client = emulatorClientBackend(address)) return client;
        }
        return &nativeDevicePortBackend();
    }();
    return *chosen;
}

} // namespace

DevicePortBackend* setDevicePortBackend(DevicePortBackend* backend) {
    DevicePortBackend* before = installed;
    installed = backend;
    return before;
}

DevicePortBackend& devicePort() {
    return installed != nullptr ? *installed : defaultBackend();
}

} // namespace gb::platform
