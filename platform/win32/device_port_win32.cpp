#include "platform/device_port.h"

#include <windows.h>

namespace gb::platform {

namespace {

HANDLE toHandle(DeviceHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// The QUARN kernel driver's device objects, reached with exactly the calls the card protocol
// needs: synchronous 64-byte transfers and buffered control requests.
class DriverBackend final : public DevicePortBackend {
public:
    DeviceHandle open(const char* name) override {
        HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        return reinterpret_cast<DeviceHandle>(h);
    }
    bool write(DeviceHandle handle, const void* data, std::uint32_t length,
               std::uint32_t* written) override {
        DWORD n = 0;
        BOOL ok = WriteFile(toHandle(handle), data, length, &n, nullptr);
        *written = n;
        return ok != FALSE;
    }
    bool read(DeviceHandle handle, void* data, std::uint32_t length, std::uint32_t* read) override {
        DWORD n = 0;
        BOOL ok = ReadFile(toHandle(handle), data, length, &n, nullptr);
        *read = n;
        return ok != FALSE;
    }
    bool control(DeviceHandle handle, std::uint32_t code, const void* in, std::uint32_t inLength,
                 void* out, std::uint32_t outLength, std::uint32_t* returned) override {
        DWORD n = 0;
        BOOL ok = DeviceIoControl(toHandle(handle), code, const_cast<void*>(in), inLength, out,
                                  outLength, &n, nullptr);
        *returned = n;
        return ok != FALSE;
    }
    bool close(DeviceHandle handle) override { return CloseHandle(toHandle(handle)) != FALSE; }
};

} // namespace

DevicePortBackend& nativeDevicePortBackend() {
    static DriverBackend backend;
    return backend;
}

} // namespace gb::platform
