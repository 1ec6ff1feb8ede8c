// Slot and device tables, the load-time entry, opening and closing devices.

#include "quarnio/library.h"
#include "quarnio/quarnio.h"

#include <cstring>

namespace quarnio {

Library lib;

namespace {

using gb::platform::devicePort;

constexpr int IsaAnswerTries = 1000;

void setUpTables() {
    for (std::int32_t& s : lib.slots)
        s = -1;
    for (DeviceEntry& d : lib.devices) {
        d.handle = InvalidDeviceHandle;
        d.openCount = 0;
        d.busy = 0;
        d.reserved = 0;
        d.closePending = 0;
    }
    resetPoolAndQueues();
    lib.acceptedTimer = -1;
    lib.pollPacket[0] = 0x05;
    lib.pollPacket[1] = 0x80;
    lib.pollPacket[2] = 0xFF;
    lib.initialised = InitialisedMarker;
}

// Builds "\\.\QUARNISADevice0" or "\\.\QUARNUSBDevice<device - 1>" into `name`.
void deviceObjectName(int device, char (&name)[32]) {
    if (device == 0) {
        std::strcpy(name, gb::platform::IsaDeviceName);
        return;
    }
    std::strcpy(name, gb::platform::UsbDeviceNamePrefix);
    std::size_t n = std::strlen(name);
    name[n] = static_cast<char>('0' + (device - 1));
    name[n + 1] = '\0';
}

bool acceptedAnswer(const std::uint8_t* answer) {
    return answer[1] == 0x04 && (answer[2] == 0x00 || answer[2] == 0x5A);
}

// The card's answer to the start-up sequence. A read that fails counts as no answer: judging the
// buffer's old contents could accept a card that never answered.
bool handshake(int device) {
    std::uint8_t* send = lib.sendBuffers[device];
    std::uint8_t* receive = lib.receiveBuffers[device];
    static constexpr std::uint8_t startUp[3][4] = {
        {0x09, 0x21, 0x00, 0x00}, {0x06, 0x09, 0x02, 0xFF}, {0x06, 0x0E, 0x00, 0xFF}};
    for (const auto& packet : startUp) {
        std::memcpy(send, packet, sizeof packet);
        writePacket(device, send);
    }
    if (device != 0) {
        return readPacket(device, receive) && receive[0] == 0x08 && acceptedAnswer(receive);
    }
    for (int i = 0; i < IsaAnswerTries; ++i) {
        if (readPacket(device, receive) && (receive[0] & 0x80) != 0) {
            return acceptedAnswer(receive);
        }
        gb::platform::sleepMilliseconds(1);
    }
    return false;
}

void putWord(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
    out[2] = static_cast<std::uint8_t>(value >> 16);
    out[3] = static_cast<std::uint8_t>(value >> 24);
}

} // namespace

bool loadEntry(int reason) {
    if (lib.initialised != InitialisedMarker) setUpTables();
    if (reason == 1) {
        gb::platform::TimerId id = gb::platform::setThreadTimer(PollPeriodMs, timerProc);
        if (id == 0) return false;
        lib.createdTimer = id;
        if (lib.acceptedTimer == -1) lib.acceptedTimer = static_cast<std::intptr_t>(id);
    } else if (reason == 0) {
        if (lib.acceptedTimer == static_cast<std::intptr_t>(lib.createdTimer)) {
            gb::platform::killThreadTimer(lib.createdTimer);
            lib.acceptedTimer = -1;
        }
    }
    return true;
}

void unloadForTests() {
    if (lib.createdTimer != 0) gb::platform::killThreadTimer(lib.createdTimer);
    std::memset(&lib, 0, sizeof lib);
}

int checkSlot(int slot) {
    if (slot < 0 || slot >= SlotCount) return BadSlot;
    int device = lib.slots[slot];
    if (device < 0 || device >= DeviceCount) return BadSlot;
    if (lib.devices[device].handle == InvalidDeviceHandle) {
        lib.slots[slot] = -1;
        return NotOpen;
    }
    return device;
}

bool writePacket(int device, const std::uint8_t* data) {
    std::uint32_t written = 0;
    return devicePort().write(lib.devices[device].handle, data, PacketSize, &written);
}

bool readPacket(int device, std::uint8_t* data) {
    std::uint32_t read = 0;
    return devicePort().read(lib.devices[device].handle, data, PacketSize, &read);
}

} // namespace quarnio

using namespace quarnio;

extern "C" int _OpenDevice(int device) {
    if (device < 0 || device >= DeviceCount) return BadDevice;
    int slot = 0;
    while (slot < SlotCount && lib.slots[slot] != -1)
        ++slot;
    if (slot == SlotCount) return NoFreeSlot;

    DeviceEntry& entry = lib.devices[device];
    lib.slots[slot] = device;
    if (++entry.openCount > 1) return slot;

    char name[32];
    deviceObjectName(device, name);
    entry.handle = devicePort().open(name);
    if (entry.handle == InvalidDeviceHandle) {
        lib.slots[slot] = -1;
        --entry.openCount;
        return NotOpen;
    }
    gb::platform::sleepMilliseconds(20);
    if (!handshake(device)) {
        _CloseDevice(slot);
        return NoAnswer;
    }
    return slot;
}

extern "C" int _CloseDevice(int slot) {
    int device = checkSlot(slot);
    if (device < 0) return device;
    DeviceEntry& entry = lib.devices[device];
    if (entry.closePending != 0) {
        writePacket(device, entry.closePacket);
        entry.closePending = 0;
    }
    if (--entry.openCount <= 0) {
        entry.openCount = 0;
        devicePort().close(entry.handle);
        entry.handle = InvalidDeviceHandle;
    }
    lib.slots[slot] = -1;
    return Ok;
}

extern "C" int _CloseAllHandles(int) {
    for (int slot = 0; slot < SlotCount; ++slot)
        _CloseDevice(slot);
    return Ok;
}

extern "C" int _GetDeviceInfo(int device, void* record) {
    if (device < 0 || device >= DeviceCount) return BadDevice;
    if (record == nullptr) return NoAnswer;
    const DeviceEntry& entry = lib.devices[device];
    auto* out = static_cast<std::uint8_t*>(record);
    putWord(out, static_cast<std::uint32_t>(entry.handle));
    putWord(out + 4, static_cast<std::uint32_t>(entry.openCount));
    putWord(out + 8, entry.busy);
    putWord(out + 12, entry.reserved);
    putWord(out + 16, entry.closePending);
    std::memcpy(out + 20, entry.closePacket, PacketSize);
    return Ok;
}
