// The command protocol: item pool and rings, queuing, the output flush, and the entry points that
// exchange command packets with the card.

#include "quarnio/library.h"
#include "quarnio/quarnio.h"

#include <cstring>
#include <initializer_list>

namespace quarnio {

namespace {

constexpr int IsaAnswerTries = 1000;
constexpr int ChunkSize = 60;
constexpr int PointerBlockSize = 120;
constexpr int IsaPointerBlockSize = 60;
constexpr int PointerBlockAddress = 0x4100;
constexpr int MaxQProc = 32767; // code 0x9F; larger numbers would collide with other item codes

std::uint8_t low(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

std::uint8_t high(int value) {
    return static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// The card's 16-bit address `done` bytes past the caller's `address`. Only the low 16 bits
// count, so the sum is taken in unsigned arithmetic, which wraps where int would overflow.
int cardAddress(int address, int done) {
    return static_cast<int>(
        (static_cast<std::uint32_t>(address) + static_cast<std::uint32_t>(done)) & 0xFFFF);
}

// Holds a device's busy flag for the rest of a scope.
class BusyScope {
public:
    explicit BusyScope(int device) : busy_(lib.devices[device].busy) { busy_ = 1; }
    ~BusyScope() { busy_ = 0; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::uint32_t& busy_;
};

// Slot check steps 1-3 and the busy test; the device number or a negative code.
int checkSlotNotBusy(int slot) {
    int device = checkSlot(slot);
    if (device < 0) return device;
    if (lib.devices[device].busy != 0) return Busy;
    return device;
}

// Queues one item (code and up to 6 data bytes). Never fails visibly: a full pool or ring drops
// the item. Unused data bytes are cleared so no earlier item's bytes can travel with this one.
void queueItem(std::uint8_t code, const std::uint8_t* data, int count) {
    std::uint8_t entry = takeEntry();
    if (entry == PoolEnd) return;
    PoolEntry& e = lib.pool[entry];
    e.code = code;
    std::memset(e.data, 0, sizeof e.data);
    std::memcpy(e.data, data, static_cast<std::size_t>(count));
    if (!ringPut(lib.outputQueue, entry)) releaseEntry(entry);
}

// Builds [bytes...] at the start of the device's send buffer and writes it; the rest of the
// buffer keeps what it held.
void sendBytes(int device, std::initializer_list<std::uint8_t> bytes) {
    std::uint8_t* send = lib.sendBuffers[device];
    int i = 0;
    for (std::uint8_t b : bytes)
        send[i++] = b;
    writePacket(device, send);
}

// ISA: waits up to 1000 reads about 1 ms apart for an answer (bit 7 of byte 0) in the receive
// buffer. A failed read is no answer.
bool waitIsaAnswer() {
    std::uint8_t* receive = lib.receiveBuffers[0];
    for (int i = 0; i < IsaAnswerTries; ++i) {
        gb::platform::sleepMilliseconds(1);
        if (readPacket(0, receive) && (receive[0] & 0x80) != 0) return true;
    }
    return false;
}

// Tells the ISA card that its answer was taken.
void acknowledge() {
    sendBytes(0, {0x15});
}

// ISA card memory from `address` in aligned 16-byte blocks (answer bytes 5-20).
void readIsaMemory(std::uint8_t* out, int address, int count) {
    std::uint8_t* receive = lib.receiveBuffers[0];
    int copied = 0;
    int request = address & 0xFFFF;
    int offset = address & 0x0F;
    while (copied < count) {
        sendBytes(0, {0x14, low(request), high(request)});
        readPacket(0, receive);
        while (offset < 16 && copied < count)
            out[copied++] = receive[5 + offset++];
        request = ((request & ~0x0F) + 16) & 0xFFFF;
        offset = 0;
    }
}

int isaCommand(int sub, int p1, int p2, std::uint8_t* reply, int replyLength) {
    std::uint8_t* receive = lib.receiveBuffers[0];
    switch (sub) {
    case 0x04: {
        sendBytes(0, {0x05, 0x04, low(p1), low(p2)});
        readPacket(0, receive);
        if (replyLength > 0) std::memset(reply, 0, static_cast<std::size_t>(replyLength));
        // Answer bytes go to every other reply byte from answer byte 5 on; below 7 bytes there
        // is no room for one (and subtracting first would overflow at INT_MIN).
        const int count = replyLength >= 7 ? (replyLength - 5) / 2 : 0;
        for (int i = 0; i < count; ++i)
            reply[2 * i] = receive[5 + i];
        return Ok;
    }
    case 0x08: {
        int at = 0;
        sendBytes(0, {0x06, 0x04, 0x00});
        if (waitIsaAnswer()) {
            reply[at++] = receive[1];
            reply[at++] = receive[2];
            acknowledge();
        }
        if (waitIsaAnswer()) {
            if (receive[1] != 0x05) return NoAnswer;
            reply[at++] = receive[2];
            acknowledge();
        }
        sendBytes(0, {0x06, 0x05, 0x00});
        if (waitIsaAnswer()) {
            if (receive[1] != 0x01) return NoAnswer;
            reply[at++] = receive[2];
            acknowledge();
        }
        return Ok;
    }
    case 0x10:
        sendBytes(0, {0x06, 0x01, 0x00});
        if (waitIsaAnswer()) {
            if (receive[1] != 0x07) return NoAnswer;
            if (receive[2] == 0x01) {
                reply[0] = 0x07;
                reply[1] = low(p1);
                reply[2] = low(p2);
            } else {
                reply[0] = 0x00;
                reply[1] = 0x00;
            }
            acknowledge();
        }
        return Ok;
    default:
        sendBytes(0, {0x05, low(sub), low(p1), low(p2)});
        readPacket(0, receive);
        if (replyLength > 0) std::memcpy(reply, receive, static_cast<std::size_t>(replyLength));
        return Ok;
    }
}

} // namespace

int itemLength(std::uint8_t code) {
    if (code == 0x08 || code == 0x0D) return 4;
    if (code == 0x0C) return 9;
    if (code == 0x10) return 6;
    if (code >= 0xA0 && code <= 0xA3) return 4;
    return 2;
}

void resetPoolAndQueues() {
    for (int i = 0; i < PoolSize; ++i) {
        lib.pool[i].link = static_cast<std::uint8_t>(i + 1);
    }
    lib.pool[PoolSize - 1].link = PoolEnd;
    lib.freeHead = 0;
    lib.outputQueue.read = lib.outputQueue.write = 0;
    lib.eventQueue.read = lib.eventQueue.write = 0;
}

std::uint8_t takeEntry() {
    std::uint8_t entry = lib.freeHead;
    if (entry != PoolEnd) lib.freeHead = lib.pool[entry].link;
    return entry;
}

void releaseEntry(std::uint8_t entry) {
    lib.pool[entry].link = lib.freeHead;
    lib.freeHead = entry;
}

bool ringPut(Ring& ring, std::uint8_t entry) {
    std::uint8_t next = static_cast<std::uint8_t>((ring.write + 1) % RingSize);
    if (next == ring.read) return false;
    ring.index[ring.write] = entry;
    ring.write = next;
    return true;
}

bool ringTake(Ring& ring, std::uint8_t* entry) {
    if (ring.read == ring.write) return false;
    *entry = ring.index[ring.read];
    ring.read = static_cast<std::uint8_t>((ring.read + 1) % RingSize);
    return true;
}

void flushOutput(int device) {
    const int limit = device == 0 ? 32 : 64;
    if (lib.outputQueue.read == lib.outputQueue.write) return;
    std::uint8_t* send = lib.sendBuffers[device];
    if (device == 0) {
        std::uint8_t* receive = lib.receiveBuffers[0];
        // A failed read is no answer: the buffer's byte 3 would be from an older packet.
        if (!readPacket(0, receive) || receive[3] != 0xFF) return;
    }
    send[0] = 0x06;
    send[1] = 0x00;
    int position = 2;
    std::uint8_t entry = 0;
    while (ringTake(lib.outputQueue, &entry)) {
        const PoolEntry& item = lib.pool[entry];
        int length = itemLength(item.code);
        if (position + length > limit) {
            ringPut(lib.outputQueue, entry);
            break;
        }
        send[position] = item.code;
        std::memcpy(send + position + 1, item.data, static_cast<std::size_t>(length - 1));
        releaseEntry(entry);
        position += length;
        if (position >= limit - 1) break;
    }
    send[position] = 0xFF;
    writePacket(device, send);
}

} // namespace quarnio

using namespace quarnio;

extern "C" int _SendQP(int slot, int qp) {
    int device = checkSlotNotBusy(slot);
    if (device < 0) return device;
    BusyScope busy(device);
    if (qp < 0 || qp > MaxQProc) return Ok;
    std::uint8_t data[1] = {low(qp)};
    queueItem(static_cast<std::uint8_t>(0x20 + qp / 256), data, 1);
    return Ok;
}

extern "C" int _SendPH(int slot, int ph, int b0, int b1, int b2, int b3) {
    int device = checkSlotNotBusy(slot);
    if (device < 0) return device;
    BusyScope busy(device);
    std::uint8_t data[5] = {low(ph), low(b0), low(b1), low(b2), low(b3)};
    queueItem(0x10, data, 5);
    return Ok;
}

extern "C" int _SendPHint(int slot, int ph, int a, int b) {
    int device = checkSlotNotBusy(slot);
    if (device < 0) return device;
    BusyScope busy(device);
    std::uint8_t data[5] = {low(ph), low(a), high(a), low(b), high(b)};
    queueItem(0x10, data, 5);
    return Ok;
}

extern "C" int _InitQUARN(int slot, int mode) {
    int device = checkSlotNotBusy(slot);
    if (device < 0) return device;
    BusyScope busy(device);
    sendBytes(device, {0x09, low(mode), 0x00, 0xFF});
    return Ok;
}

extern "C" int _BlindSend(int slot, const void* packet, int) {
    int device = checkSlot(slot);
    if (device < 0) return device;
    if (packet == nullptr) return NoAnswer;
    const auto* bytes = static_cast<const std::uint8_t*>(packet);
    DeviceEntry& entry = lib.devices[device];
    if (bytes[0] == 0x09) {
        std::memcpy(entry.closePacket, bytes, 6);
        entry.closePending = 1;
        return Ok;
    }
    if (entry.busy != 0) return Busy;
    BusyScope busy(device);
    writePacket(device, bytes);
    return Ok;
}

extern "C" int _SendCommand(int slot, int cmd, int sub, int p1, int p2, void* reply,
                            int replyLength) {
    int device = checkSlot(slot);
    if (device < 0) return device;
    if (replyLength > PacketSize) replyLength = PacketSize;
    const int isaSub = low(sub);
    // ISA sub-commands 0x08 and 0x10 fill the reply whatever its length.
    const bool fixedReply = device == 0 && low(cmd) == 0x05 && (isaSub == 0x08 || isaSub == 0x10);
    if (reply == nullptr && (replyLength > 0 || fixedReply)) return NoAnswer;
    if (lib.devices[device].busy != 0) return Busy;
    BusyScope busy(device);
    auto* out = static_cast<std::uint8_t*>(reply);
    if (device != 0) {
        std::uint8_t* receive = lib.receiveBuffers[device];
        sendBytes(device, {low(cmd), low(sub), low(p1), low(p2)});
        readPacket(device, receive);
        if (replyLength > 0) std::memcpy(out, receive, static_cast<std::size_t>(replyLength));
        return Ok;
    }
    if (low(cmd) != 0x05) return Ok;
    return isaCommand(isaSub, p1, p2, out, replyLength);
}

extern "C" int _GetCurrentButtonStates(int slot, int sub, int p1, int p2, void* reply) {
    int device = checkSlot(slot);
    if (device < 0) return device;
    if (reply == nullptr) return NoAnswer;
    if (lib.devices[device].busy != 0) return Busy;
    _SendCommand(slot, 0x12, sub, p1, p2, reply, PacketSize);
    return Ok;
}

extern "C" int _WriteQuarn(int slot, const void* buffer, int address, int count) {
    int device = checkSlot(slot);
    if (device < 0) return device;
    if (buffer == nullptr && count > 0) return NoAnswer;
    if (lib.devices[device].busy != 0) return Busy;
    BusyScope busy(device);
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    std::uint8_t* send = lib.sendBuffers[device];
    int done = 0;
    while (done < count) {
        int n = count - done > ChunkSize ? ChunkSize : count - done;
        const int at = cardAddress(address, done);
        send[0] = 0x03;
        send[1] = low(at);
        send[2] = high(at);
        send[3] = static_cast<std::uint8_t>(n);
        std::memcpy(send + 4, in + done, static_cast<std::size_t>(n));
        writePacket(device, send);
        done += n;
    }
    return Ok;
}

extern "C" int _ReadQuarn(int slot, void* buffer, int address, int count) {
    int device = checkSlot(slot);
    if (device < 0) return device;
    if (buffer == nullptr && count > 0) return NoAnswer;
    if (lib.devices[device].busy != 0) return Busy;
    BusyScope busy(device);
    auto* out = static_cast<std::uint8_t*>(buffer);
    if (count <= 0) return Ok;
    if (device == 0) {
        readIsaMemory(out, address, count);
        return Ok;
    }
    std::uint8_t* receive = lib.receiveBuffers[device];
    int done = 0;
    while (done < count) {
        int n = count - done > ChunkSize ? ChunkSize : count - done;
        const int at = cardAddress(address, done);
        sendBytes(device, {0x04, low(at), high(at), static_cast<std::uint8_t>(n)});
        readPacket(device, receive);
        std::memcpy(out + done, receive, static_cast<std::size_t>(n));
        done += n;
    }
    return Ok;
}

extern "C" int _GetPointers(int slot, void* buffer, int count) {
    int device = checkSlot(slot);
    if (device < 0) return device;
    if (buffer == nullptr && count > 0) return NoAnswer;
    if (lib.devices[device].busy != 0) return Busy;
    BusyScope busy(device);
    if (count > PointerBlockSize) count = PointerBlockSize;
    auto* out = static_cast<std::uint8_t*>(buffer);
    if (device == 0) {
        if (count > 0) readIsaMemory(out, PointerBlockAddress, count);
        return Ok;
    }
    std::uint8_t* receive = lib.receiveBuffers[device];
    sendBytes(device, {0x05, 0x01, 0x00, 0xFF});
    readPacket(device, receive);
    int first = count < ChunkSize ? count : ChunkSize;
    if (first > 0) std::memcpy(out, receive, static_cast<std::size_t>(first));
    sendBytes(device, {0x05, 0x02, 0x00, 0xFF});
    readPacket(device, receive);
    if (count > ChunkSize) {
        std::memcpy(out + ChunkSize, receive, static_cast<std::size_t>(count - ChunkSize));
    }
    return Ok;
}

extern "C" int _WritePointers(int slot, const void* buffer) {
    int device = checkSlot(slot);
    if (device < 0) return device;
    if (buffer == nullptr) return NoAnswer;
    if (lib.devices[device].busy != 0) return Busy;
    BusyScope busy(device);
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    std::uint8_t* send = lib.sendBuffers[device];
    if (device == 0) {
        send[0] = 0x03;
        send[1] = 0x00;
        send[2] = 0x41;
        send[3] = IsaPointerBlockSize;
        std::memcpy(send + 4, in, IsaPointerBlockSize);
        writePacket(device, send);
        return Ok;
    }
    send[0] = 0x07;
    std::memcpy(send + 1, in, ChunkSize);
    writePacket(device, send);
    send[0] = 0x08;
    std::memcpy(send + 1, in + ChunkSize, ChunkSize);
    writePacket(device, send);
    return Ok;
}
