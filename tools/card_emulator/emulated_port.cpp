#include "tools/card_emulator/emulated_port.h"

#include <cstring>

namespace gb::emu {

namespace {

// Handles are small numbers of our own, far from the invalid value.
constexpr gb::platform::DeviceHandle HandleBase = 0x4E00;

} // namespace

EmulatedPort::EmulatedPort() : log_(8192) {
    for (int d = 0; d < 8; ++d) {
        cards_[d] = std::make_unique<Card>(d, &log_);
        present_[d] = true;
    }
}

int EmulatedPort::openCount() const {
    int n = 0;
    for (bool o : open_)
        n += o ? 1 : 0;
    return n;
}

bool EmulatedPort::loadScript(const std::string& text, std::string& error) {
    Script script;
    if (!parseScript(text, script, error)) return false;
    for (int d = 0; d < 8; ++d) {
        if (!script.answers[d].empty()) cards_[d]->setScript(script.answers[d]);
    }
    return true;
}

Card* EmulatedPort::cardOf(gb::platform::DeviceHandle handle) {
    gb::platform::DeviceHandle d = handle - HandleBase;
    if (d < 0 || d > 7 || !open_[d]) return nullptr;
    return cards_[d].get();
}

gb::platform::DeviceHandle EmulatedPort::open(const char* name) {
    int d = deviceFromObjectName(name);
    if (d < 0 || !present_[d]) return gb::platform::InvalidDeviceHandle;
    // The driver's objects share read access only: a second open for writing is refused.
    if (open_[d]) {
        LogEntry refused;
        refused.direction = Direction::Open;
        refused.device = d;
        refused.ok = false;
        log_.add(refused);
        return gb::platform::InvalidDeviceHandle;
    }
    open_[d] = true;
    cards_[d]->opened();
    return HandleBase + d;
}

bool EmulatedPort::write(gb::platform::DeviceHandle handle, const void* data, std::uint32_t length,
                         std::uint32_t* written) {
    *written = 0;
    Card* c = cardOf(handle);
    if (c == nullptr || data == nullptr) return false;
    c->write(static_cast<const std::uint8_t*>(data), length);
    *written = length;
    return true;
}

bool EmulatedPort::read(gb::platform::DeviceHandle handle, void* data, std::uint32_t length,
                        std::uint32_t* read) {
    *read = 0;
    Card* c = cardOf(handle);
    if (c == nullptr || data == nullptr) return false;
    Packet answer{};
    if (!c->read(answer.data())) return false;
    *read = length < PacketSize ? length : PacketSize;
    std::memcpy(data, answer.data(), *read);
    return true;
}

bool EmulatedPort::control(gb::platform::DeviceHandle handle, std::uint32_t code, const void*,
                           std::uint32_t, void*, std::uint32_t, std::uint32_t* returned) {
    *returned = 0;
    Card* c = cardOf(handle);
    return c != nullptr && c->control(code);
}

bool EmulatedPort::close(gb::platform::DeviceHandle handle) {
    Card* c = cardOf(handle);
    if (c == nullptr) return false;
    c->closed();
    open_[c->device()] = false;
    return true;
}

} // namespace gb::emu
