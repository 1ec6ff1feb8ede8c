// Feeds arbitrary card answers to the device library's open, poll, event read and output flush
// through a scripted emulated card, then checks that the library's tables are still whole.
//
// Input: byte 0 = device number (bits 0-2), bit 3 set: the input supplies the open answer itself
// (otherwise an accepted one comes first); byte 1 = polls to run (bits 0-2, plus 1), bit 7 set:
// the first poll comes from the 30 ms timer; byte 2 = QProc items queued first (0-63); byte 3 =
// Pigeon-hole items queued first (0-15); the rest: one 64-byte answer per read, the last one
// zero-padded. Reads after the last answer fail.

#include "platform/event_loop.h"
#include "quarnio/library.h"
#include "quarnio/quarnio.h"
#include "tools/card_emulator/emulated_port.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

gb::emu::EmulatedPort& port() {
    static gb::emu::EmulatedPort* instance = [] {
        gb::platform::useSimulatedClock(true); // the ISA waits cost no time
        auto* p = new gb::emu::EmulatedPort;
        gb::platform::setDevicePortBackend(p);
        return p;
    }();
    return *instance;
}

void check(bool condition) {
    if (!condition) __builtin_trap();
}

// Every pool entry is either free or queued, exactly once.
void checkTables() {
    using namespace quarnio;
    bool seen[PoolSize] = {};
    int free = 0;
    for (std::uint8_t e = lib.freeHead; e != PoolEnd; e = lib.pool[e].link) {
        check(e < PoolSize && !seen[e]);
        seen[e] = true;
        ++free;
    }
    int queued = 0;
    for (const Ring* ring : {&lib.outputQueue, &lib.eventQueue}) {
        check(ring->read < RingSize && ring->write < RingSize);
        for (std::uint8_t i = ring->read; i != ring->write; i = (i + 1) % RingSize) {
            std::uint8_t e = ring->index[i];
            check(e < PoolSize && !seen[e]);
            seen[e] = true;
            ++queued;
        }
    }
    check(free + queued == PoolSize);
    for (const DeviceEntry& d : lib.devices)
        check(d.busy == 0);
    for (std::int32_t s : lib.slots)
        check(s >= -1 && s < DeviceCount);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    gb::emu::EmulatedPort& emulated = port();
    const int device = data[0] & 7;
    const bool ownHandshake = (data[0] & 0x08) != 0;
    const int polls = (data[1] & 7) + 1;
    const bool timerFirst = (data[1] & 0x80) != 0;
    const int qprocs = data[2] % 64;
    const int pigeonHoles = data[3] % 16;

    std::vector<gb::emu::ScriptedAnswer> answers;
    if (!ownHandshake) {
        gb::emu::ScriptedAnswer accepted;
        accepted.bytes[0] = device == 0 ? 0x88 : 0x08;
        accepted.bytes[1] = 0x04;
        answers.push_back(accepted);
    }
    for (std::size_t at = 4; at < size; at += gb::emu::PacketSize) {
        gb::emu::ScriptedAnswer a;
        std::size_t n = size - at < gb::emu::PacketSize ? size - at : gb::emu::PacketSize;
        std::memcpy(a.bytes.data(), data + at, n);
        answers.push_back(a);
    }
    emulated.card(device).setScript(std::move(answers));

    quarnio::unloadForTests();
    check(quarnio::loadEntry(1));
    const int slot = _OpenDevice(device);
    if (slot >= 0) {
        for (int i = 0; i < qprocs; ++i)
            _SendQP(slot, i * 37);
        for (int i = 0; i < pigeonHoles; ++i)
            _SendPH(slot, i, i, 0xFF, 0x00, i * 3);
        for (int i = 0; i < polls; ++i) {
            if (i == 0 && timerFirst) {
                gb::platform::runMessageLoopFor(31);
            } else {
                _GetData(slot);
            }
            checkTables();
        }
        std::uint8_t record[16];
        for (int i = 0; i < 200 && _GetEvent(slot, record) == 0; ++i) {
        }
        std::uint8_t state[64];
        _GetAnalogs(slot, state);
    }
    checkTables();
    _CloseAllHandles(0);
    quarnio::loadEntry(0);
    return 0;
}
