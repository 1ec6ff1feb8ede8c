// The device port's emulator client backend: each open device object is one connection to the
// endpoint of that object's name under the address QUARNIO_EMULATOR gives, reached through the
// emulator transport.

#include "platform/device_port.h"
#include "platform/emulator_transport.h"

#include <array>
#include <cstring>
#include <string>

namespace gb::platform {

namespace {

using emulator::Connection;
using emulator::endpointName;
using emulator::getU32;
using emulator::MaxMessage;
using emulator::putU32;

constexpr DeviceHandle HandleBase = 0x5100;
constexpr int MaxOpen = 16;

class ClientPort : public DevicePortBackend {
public:
    explicit ClientPort(const char* address) : address_(address != nullptr ? address : "") {}

    DeviceHandle open(const char* name) override {
        if (name == nullptr) return InvalidDeviceHandle;
        for (int i = 0; i < MaxOpen; ++i) {
            if (inUse_[i]) continue;
            Connection& c = connections_[i];
            if (!c.connect(endpointName(address_, name))) return InvalidDeviceHandle;
            std::uint8_t request[MaxMessage];
            std::size_t nameLength = std::strlen(name);
            if (nameLength + 2 > sizeof request) nameLength = sizeof request - 2;
            request[0] = 'O';
            std::memcpy(&request[1], name, nameLength);
            request[1 + nameLength] = 0;
            std::uint8_t reply[MaxMessage];
            std::size_t got = 0;
            if (!c.exchange(request, nameLength + 2, reply, sizeof reply, got) || got < 1 ||
                reply[0] != 1) {
                c.close();
                return InvalidDeviceHandle;
            }
            inUse_[i] = true;
            return HandleBase + i;
        }
        return InvalidDeviceHandle;
    }

    bool write(DeviceHandle handle, const void* data, std::uint32_t length,
               std::uint32_t* written) override {
        *written = 0;
        Connection* c = connectionOf(handle);
        if (c == nullptr || data == nullptr || length > MaxMessage - 1) return false;
        std::uint8_t request[MaxMessage];
        request[0] = 'W';
        std::memcpy(&request[1], data, length);
        std::uint8_t reply[MaxMessage];
        std::size_t got = 0;
        if (!c->exchange(request, length + 1, reply, sizeof reply, got) || got < 5 ||
            reply[0] != 1) {
            return false;
        }
        *written = getU32(&reply[1]);
        return true;
    }

    bool read(DeviceHandle handle, void* data, std::uint32_t length, std::uint32_t* read) override {
        *read = 0;
        Connection* c = connectionOf(handle);
        if (c == nullptr || data == nullptr) return false;
        std::uint8_t request[5] = {'R'};
        putU32(&request[1], length);
        std::uint8_t reply[MaxMessage];
        std::size_t got = 0;
        if (!c->exchange(request, sizeof request, reply, sizeof reply, got) || got < 1 ||
            reply[0] != 1) {
            return false;
        }
        std::size_t n = got - 1;
        if (n > length) n = length;
        std::memcpy(data, &reply[1], n);
        *read = static_cast<std::uint32_t>(n);
        return true;
    }

    bool control(DeviceHandle handle, std::uint32_t code, const void*, std::uint32_t inLength,
                 void* out, std::uint32_t outLength, std::uint32_t* returned) override {
        *returned = 0;
        Connection* c = connectionOf(handle);
        if (c == nullptr) return false;
        std::uint8_t request[13] = {'C'};
        putU32(&request[1], code);
        putU32(&request[5], inLength);
        putU32(&request[9], outLength);
        std::uint8_t reply[MaxMessage];
        std::size_t got = 0;
        if (!c->exchange(request, sizeof request, reply, sizeof reply, got) || got < 5) {
            return false;
        }
        std::uint32_t n = getU32(&reply[1]);
        if (n > outLength || n > got - 5 || out == nullptr) n = 0;
        if (n > 0) std::memcpy(out, &reply[5], n);
        *returned = n;
        return reply[0] == 1;
    }

    bool close(DeviceHandle handle) override {
        Connection* c = connectionOf(handle);
        if (c == nullptr) return false;
        c->close();
        inUse_[handle - HandleBase] = false;
        return true;
    }

private:
    Connection* connectionOf(DeviceHandle handle) {
        DeviceHandle i = handle - HandleBase;
        if (i < 0 || i >= MaxOpen || !inUse_[i]) return nullptr;
        return &connections_[i];
    }

    std::string address_;
    std::array<Connection, MaxOpen> connections_;
    std::array<bool, MaxOpen> inUse_{};
};

} // namespace

std::unique_ptr<DevicePortBackend> makeEmulatorClient(const char* address) {
    return std::make_unique<ClientPort>(address);
}

DevicePortBackend* emulatorClientBackend(const char* address) {
    if (address == nullptr || address[0] == '\0') return nullptr;
    // Lives until the process ends: the library may still close devices from its unload path.
    static DevicePortBackend* port = makeEmulatorClient(address).release();
    return port;
}

} // namespace gb::platform
