#include "platform/device_port.h"

namespace gb::platform {

namespace {

// No QUARN driver exists outside Windows: every device object is missing.
class NoDriverBackend final : public DevicePortBackend {
public:
    DeviceHandle open(const char*) override { return InvalidDeviceHandle; }
    bool write(DeviceHandle, const void*, std::uint32_t, std::uint32_t* written) override {
        *written = 0;
        return false;
    }
    bool read(DeviceHandle, void*, std::uint32_t, std::uint32_t* read) override {
        *read = 0;
        return false;
    }
    bool control(DeviceHandle, std::uint32_t, const void*, std::uint32_t, void*, std::uint32_t,
                 std::uint32_t* returned) override {
        *returned = 0;
        return false;
    }
    bool close(DeviceHandle) override { return false; }
};

} // namespace

DevicePortBackend& nativeDevicePortBackend() {
    static NoDriverBackend backend;
    return backend;
}

} // namespace gb::platform
