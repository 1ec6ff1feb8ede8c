// Cost of the library's hot path: queuing a QProc or Pigeon-hole item, and flushing a full queue
// into a packet. The device port is a stand-in that takes every packet and answers every poll
// with "takes output", so the figures are the library's own work.

#include "platform/device_port.h"
#include "quarnio/library.h"
#include "quarnio/quarnio.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>

namespace {

class NullCard final : public gb::platform::DevicePortBackend {
public:
    gb::platform::DeviceHandle open(const char*) override { return 1; }
    bool write(gb::platform::DeviceHandle, const void*, std::uint32_t length,
               std::uint32_t* written) override {
        *written = length;
        return true;
    }
    bool read(gb::platform::DeviceHandle, void* data, std::uint32_t length,
              std::uint32_t* read) override {
        // Handshake answer and poll status in one: 08 04 00 (bit 1 of 0x08 is clear, so the
        // status answer gets its own byte 0 below once the card is open).
        std::memset(data, 0, length);
        auto* bytes = static_cast<std::uint8_t*>(data);
        bytes[0] = opened ? 0x02 : 0x08;
        bytes[1] = 0x04;
        *read = length;
        return true;
    }
    bool control(gb::platform::DeviceHandle, std::uint32_t, const void*, std::uint32_t, void*,
                 std::uint32_t, std::uint32_t* returned) override {
        *returned = 0;
        return true;
    }
    bool close(gb::platform::DeviceHandle) override { return true; }
    bool opened = false;
};

// Loads the library with the stand-in card and opens USB card 1.
class Session {
public:
    Session() {
        gb::platform::useSimulatedClock(true);
        previous_ = gb::platform::setDevicePortBackend(&card_);
        quarnio::unloadForTests();
        quarnio::loadEntry(1);
        slot = _OpenDevice(1);
        card_.opened = true;
    }
    ~Session() {
        _CloseAllHandles(0);
        quarnio::loadEntry(0);
        quarnio::unloadForTests();
        gb::platform::setDevicePortBackend(previous_);
        gb::platform::useSimulatedClock(false);
    }
    int slot = -1;

private:
    NullCard card_;
    gb::platform::DevicePortBackend* previous_ = nullptr;
};

constexpr int QueueCapacity = 63;

// Each iteration queues 63 items (a full queue) and then empties the queue for the next round;
// items/s is the rate of single calls.
void BM_SendQP(benchmark::State& state) {
    Session session;
    for (auto _ : state) {
        for (int i = 0; i < QueueCapacity; ++i)
            benchmark::DoNotOptimize(_SendQP(session.slot, i));
        quarnio::resetPoolAndQueues();
    }
    state.SetItemsProcessed(state.iterations() * QueueCapacity);
}
BENCHMARK(BM_SendQP);

void BM_SendPH(benchmark::State& state) {
    Session session;
    for (auto _ : state) {
        for (int i = 0; i < QueueCapacity; ++i) {
            benchmark::DoNotOptimize(_SendPH(session.slot, i, 1, 2, 3, 4));
        }
        quarnio::resetPoolAndQueues();
    }
    state.SetItemsProcessed(state.iterations() * QueueCapacity);
}
BENCHMARK(BM_SendPH);

// A call into a full queue: the item is dropped and its pool entry released.
void BM_SendQPFullQueue(benchmark::State& state) {
    Session session;
    for (int i = 0; i < QueueCapacity; ++i)
        _SendQP(session.slot, i);
    for (auto _ : state)
        benchmark::DoNotOptimize(_SendQP(session.slot, 1));
}
BENCHMARK(BM_SendQPFullQueue);

// One flush of a full queue of QProc items: 31 items into a 64-byte packet, one driver write.
// Only the flush is timed (manual time: pausing the benchmark's timer costs more than a flush).
void BM_FlushFullQueue(benchmark::State& state) {
    Session session;
    for (auto _ : state) {
        quarnio::resetPoolAndQueues();
        for (int i = 0; i < QueueCapacity; ++i)
            _SendQP(session.slot, i);
        auto start = std::chrono::steady_clock::now();
        quarnio::flushOutput(1);
        auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(BM_FlushFullQueue)->UseManualTime();

// A full queue of Pigeon-hole items queued and flushed by polls
// until empty (10 items per packet, 7 polls), per item.
void BM_QueueAndPollOutPH(benchmark::State& state) {
    Session session;
    for (auto _ : state) {
        for (int i = 0; i < QueueCapacity; ++i)
            _SendPH(session.slot, i, 1, 2, 3, 4);
        while (quarnio::lib.outputQueue.read != quarnio::lib.outputQueue.write) {
            _GetData(session.slot);
        }
    }
    state.SetItemsProcessed(state.iterations() * QueueCapacity);
}
BENCHMARK(BM_QueueAndPollOutPH);

// A poll with nothing to do: the status request and its answer.
void BM_PollIdle(benchmark::State& state) {
    Session session;
    for (auto _ : state)
        _GetData(session.slot);
}
BENCHMARK(BM_PollIdle);

} // namespace

BENCHMARK_MAIN();
