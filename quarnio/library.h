#pragma once
// The library's global tables and the routines the entry points share. Everything is fixed-size
// and set up once by the load-time entry; nothing here allocates.

#include "platform/device_port.h"
#include "platform/event_loop.h"

#include <cstdint>

namespace quarnio {

using gb::platform::DeviceHandle;
using gb::platform::InvalidDeviceHandle;

constexpr int SlotCount = 32;
constexpr int DeviceCount = 8;
constexpr int PacketSize = 64;
constexpr int BufferSize = 128; // send and receive buffers: room for an end marker past 64
constexpr int PoolSize = 128;
constexpr int RingSize = 64;
constexpr int ItemDataSize = 8; // the longest item (code 0x0C) has 8 data bytes
constexpr std::uint8_t PoolEnd = 0xFF;
constexpr std::uint32_t InitialisedMarker = 0x12345A;
constexpr std::uint32_t PollPeriodMs = 30;
constexpr int DeviceInfoSize = 84;

// Result codes.
enum : int {
    Ok = 0,
    NoAnswer = -1,
    BadSlot = -2,
    NoFreeSlot = -3,
    NotOpen = -4,
    BadDevice = -6,
    Busy = -7,
};

struct DeviceEntry {
    DeviceHandle handle;
    std::int32_t openCount;
    std::uint32_t busy;
    std::uint32_t reserved;
    std::uint32_t closePending;
    std::uint8_t closePacket[PacketSize];
};

// A pool entry: free-list link while free, otherwise one output item or event.
struct PoolEntry {
    std::uint8_t link;
    std::uint8_t code;
    std::uint8_t data[ItemDataSize];
};

// A ring of pool indices; empty when read == write, full at 63 entries.
struct Ring {
    std::uint8_t index[RingSize];
    std::uint8_t read;
    std::uint8_t write;
};

struct Library {
    std::int32_t slots[SlotCount];
    DeviceEntry devices[DeviceCount];
    std::uint8_t sendBuffers[DeviceCount][BufferSize];
    std::uint8_t receiveBuffers[DeviceCount][BufferSize];
    std::uint8_t inputState[DeviceCount][PacketSize];
    std::uint8_t statusBuffer[PacketSize]; // last poll answer, shared by all devices
    std::uint8_t pollPacket[PacketSize];
    PoolEntry pool[PoolSize];
    std::uint8_t freeHead;
    Ring outputQueue;
    Ring eventQueue;
    gb::platform::TimerId createdTimer;
    std::intptr_t acceptedTimer; // -1: none accepted yet
    std::uint32_t pollingStopped;
    std::uint32_t initialised;
};

extern Library lib;

// Load-time entry (reason 1 attach, 0 detach, others ignored). False when the poll timer cannot
// be created, which makes loading fail.
bool loadEntry(int reason);

// Forgets every table as if the library had never been loaded, so the next loadEntry sets them
// up afresh. Kills a running poll timer. For tests, which load the library many times per run.
void unloadForTests();

// Length of an item or event, code byte included, by its code.
int itemLength(std::uint8_t code);

// Pool and rings.
std::uint8_t takeEntry();
void releaseEntry(std::uint8_t entry);
bool ringPut(Ring& ring, std::uint8_t entry);
bool ringTake(Ring& ring, std::uint8_t* entry);
void resetPoolAndQueues();

// The slot check: steps 1-3 give the device number (0-7) or a negative code.
int checkSlot(int slot);

// One 64-byte transfer; a read that fails leaves `data` as it was.
bool writePacket(int device, const std::uint8_t* data);
bool readPacket(int device, std::uint8_t* data);

// The output flush of one device; runs with its busy flag held.
void flushOutput(int device);

// One poll of one device, as the timer runs it.
void pollDevice(int device);

// The poll timer's procedure.
void timerProc(gb::platform::TimerId id);

} // namespace quarnio
