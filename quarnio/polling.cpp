// Polling: the 30 ms timer, the poll of one device, the event read, and the entry points that
// hand out input state and events.

#include "quarnio/library.h"
#include "quarnio/quarnio.h"

#include <cstring>

namespace quarnio {

namespace {

constexpr int IsaInputOffset = 5, IsaInputBytes = 16;
constexpr int UsbInputOffset = 1, UsbInputBytes = 44;

// Walks an event packet into EventQueue. An item that would run past the 64 bytes read is not
// taken: its tail would be left-over bytes of an earlier packet.
void readEvents(int device) {
    std::uint8_t* send = lib.sendBuffers[device];
    std::uint8_t* receive = lib.receiveBuffers[device];
    send[0] = 0x0D;
    send[1] = 0xFF;
    writePacket(device, send);
    // A failed read would leave the previous event packet, and its events would arrive twice.
    if (!readPacket(device, receive)) return;
    int position = 0;
    while (position < PacketSize && receive[position] != 0xFF) {
        const std::uint8_t code = receive[position];
        const int length = itemLength(code);
        if (position + length > PacketSize) return;
        std::uint8_t entry = takeEntry();
        if (entry == PoolEnd) return;
        PoolEntry& e = lib.pool[entry];
        e.code = code;
        std::memcpy(e.data, receive + position + 1, static_cast<std::size_t>(length - 1));
        if (!ringPut(lib.eventQueue, entry)) releaseEntry(entry);
        position += length;
    }
}

} // namespace

void pollDevice(int device) {
    if (device < 0 || device >= DeviceCount) return;
    DeviceEntry& entry = lib.devices[device];
    if (entry.handle == InvalidDeviceHandle || entry.busy != 0) return;
    entry.busy = 1;
    writePacket(device, lib.pollPacket);
    // Judging an old status after a failed read would repeat its event read and flush.
    if (readPacket(device, lib.statusBuffer)) {
        if (device == 0) {
            std::memcpy(lib.inputState[0], lib.statusBuffer + IsaInputOffset, IsaInputBytes);
        } else {
            std::memcpy(lib.inputState[device], lib.statusBuffer + UsbInputOffset, UsbInputBytes);
        }
        const std::uint8_t status = lib.statusBuffer[0];
        if ((status & 0x01) != 0) readEvents(device);
        if ((status & 0x02) != 0) flushOutput(device);
    }
    entry.busy = 0;
}

void timerProc(gb::platform::TimerId) {
    const auto created = static_cast<std::intptr_t>(lib.createdTimer);
    if (lib.acceptedTimer == -1) {
        lib.acceptedTimer = created;
    } else if (lib.acceptedTimer != created) {
        return;
    }
    if (lib.pollingStopped != 0) return;
    for (int device = 0; device < DeviceCount; ++device) {
        if (lib.devices[device].openCount != 0) pollDevice(device);
    }
}

} // namespace quarnio

using namespace quarnio;

extern "C" int _GetData(int slot) {
    int device = checkSlot(slot);
    if (device < 0) return device;
    pollDevice(device);
    return Ok;
}

extern "C" int _GetAnalogs(int slot, void* buffer) {
    int device = checkSlot(slot);
    if (device < 0) return device;
    if (buffer == nullptr) return NoAnswer;
    DeviceEntry& entry = lib.devices[device];
    if (entry.busy != 0) return Busy;
    entry.busy = 1;
    std::memcpy(buffer, lib.inputState[device], PacketSize);
    entry.busy = 0;
    return Ok;
}

extern "C" int _GetEvent(int slot, void* record) {
    if (slot < 0 || slot >= SlotCount) return BadSlot;
    const int device = lib.slots[slot];
    if (device < 0 || device >= DeviceCount) return BadSlot;
    DeviceEntry& entry = lib.devices[device];
    if (entry.handle == InvalidDeviceHandle) return NoAnswer;
    if (record == nullptr) return NoAnswer;
    if (entry.busy != 0) return Busy;
    entry.busy = 1;
    std::uint8_t index = 0;
    if (!ringTake(lib.eventQueue, &index)) {
        entry.busy = 0;
        return NoAnswer;
    }
    const PoolEntry& e = lib.pool[index];
    auto* out = static_cast<std::uint8_t*>(record);
    out[1] = e.code;
    std::memcpy(out + 2, e.data, static_cast<std::size_t>(itemLength(e.code) - 1));
    releaseEntry(index);
    entry.busy = 0;
    return Ok;
}

extern "C" int _StartPolling(void) {
    lib.pollingStopped = 0;
    return Ok;
}

extern "C" int _StopPolling(void) {
    lib.pollingStopped = 1;
    return Ok;
}

namespace {

int controlRequest(int slot, std::uint32_t code) {
    int device = checkSlot(slot);
    if (device < 0) return device;
    // The driver neither needs nor fills these buffers for the two requests; their size binds.
    static std::uint8_t in[gb::platform::DeviceControlBufferSize];
    static std::uint8_t out[gb::platform::DeviceControlBufferSize];
    std::uint32_t returned = 0;
    return gb::platform::devicePort().control(lib.devices[device].handle, code, in, sizeof in, out,
                                              sizeof out, &returned)
               ? 1
               : 0;
}

} // namespace

extern "C" int _StartUSBIntPoll(int slot) {
    return controlRequest(slot, gb::platform::ControlStartUsbIntPoll);
}

extern "C" int _StopUSBIntPoll(int slot) {
    return controlRequest(slot, gb::platform::ControlStopUsbIntPoll);
}
