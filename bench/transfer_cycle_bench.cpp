// One transfer cycle over a full definition list (1000 definitions: QP flags, PH flags and
// analog values; a tenth of them changing on every cycle) against a bare loop making the same
// element reads, and the heap allocations a cycle makes; the same without the analog hold-back,
// and the safe-outputs pass of a detach with the attach's first cycle. Prints the cycle/bare-loop
// ratio at the end.

#include "cockpit/element_table.h"
#include "engine/transfer_cycle.h"
#include "platform/shared_block.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

// Every heap allocation of the process goes through malloc, operator new included; counted here
// in front of glibc's allocator.
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);

namespace {
std::atomic<long long> g_allocations{0};
}

extern "C" void* malloc(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
extern "C" void* calloc(std::size_t count, std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* block, std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(block, size);
}

namespace {

using namespace gb;

constexpr int kDefinitions = 1000;
constexpr int kChangePeriod = 10; // each element changes on one cycle in ten

int g_qp = 0;
int g_ph = 0;

const DeviceProcedures kCountingLibrary{
    [](int) { return 0; },
    [](int) { return 0; },
    [](int, int) { return ++g_qp, 0; },
    [](int, int, int, int, int, int) { return ++g_ph, 0; },
    [](int, void*) { return 0; },
};

// The published block, the attached source, the list and the card binding of one benchmark.
class Rig {
public:
    Rig() {
        handle_ = platform::createSharedBlock(kSharedBlockName, kBlockSizeL200, &view_);
        if (handle_ == nullptr || !source.attach()) {
            std::fprintf(stderr, "cannot publish and attach the simulator block\n");
            std::exit(1);
        }
        binding.open(1, kCountingLibrary);

        std::vector<int> flags;
        std::vector<int> values;
        for (const ElementRecord& r : ElementTable) {
            if (r.kind == ElementKind::BitFlag) flags.push_back(r.index);
            if (r.kind == ElementKind::FloatValue || r.kind == ElementKind::IntValue)
                values.push_back(r.index);
        }
        for (int i = 0; i < kDefinitions; ++i) {
            Definition d;
            d.elementName = "Element";
            if (i % 3 == 2) {
                d.kind = DefinitionAnalog;
                d.elementIndex = values[static_cast<std::size_t>(i / 3) % values.size()];
                d.phNumber = static_cast<std::int16_t>(64 + (i / 3) % 128);
                d.phByte = static_cast<std::int16_t>(i % 4);
                d.multi = 1.5;
                d.offset = i;
            } else {
                d.elementIndex = flags[static_cast<std::size_t>(i / 3) % flags.size()];
                d.invert = i % 7 == 0 ? 1 : 0;
                if (i % 3 == 0) {
                    d.qpOn = static_cast<std::int16_t>(i % 256);
                    d.qpOff = static_cast<std::int16_t>((i + 1) % 256);
                } else {
                    d.phNumber = static_cast<std::int16_t>((i / 3) % 64);
                    d.phByte = static_cast<std::int16_t>(i % 4);
                    d.bitMask = 1U << (i % 8);
                }
            }
            list.addDefinition(d);
            if (d.phNumber >= 0) {
                list.phLow = std::min<std::int32_t>(list.phLow, d.phNumber);
                list.phHigh = std::max<std::int32_t>(list.phHigh, d.phNumber);
            }
        }
        // Element k changes on cycles where (k + cycle) % kChangePeriod == 0.
        for (std::size_t k = 0; k < flags.size(); ++k)
            flagChanges_[k % kChangePeriod].push_back(&ElementTable[flags[k]]);
        for (std::size_t k = 0; k < values.size(); ++k)
            valueChanges_[k % kChangePeriod].push_back(&ElementTable[values[k]]);
    }
    ~Rig() {
        source.detach();
        platform::destroySharedBlock(handle_, view_, kBlockSizeL200);
    }

    // What the simulator does between two cycles: a tenth of the elements change.
    void simulatorStep() {
        const int slot = static_cast<int>(step_++ % kChangePeriod);
        auto* block = static_cast<std::uint8_t*>(view_);
        for (const ElementRecord* r : flagChanges_[slot]) {
            std::uint32_t word;
            std::memcpy(&word, block + r->offsetL200, 4);
            word ^= r->mask;
            std::memcpy(block + r->offsetL200, &word, 4);
        }
        for (const ElementRecord* r : valueChanges_[slot]) {
            if (r->kind == ElementKind::FloatValue) {
                float v;
                std::memcpy(&v, block + r->offsetL200, 4);
                v += 1.0f;
                std::memcpy(block + r->offsetL200, &v, 4);
            } else {
                std::int32_t v;
                std::memcpy(&v, block + r->offsetL200, 4);
                v = static_cast<std::int32_t>(static_cast<std::uint32_t>(v) + 1U);
                std::memcpy(block + r->offsetL200, &v, 4);
            }
        }
    }

    SharedMemorySource source;
    DefinitionList list;
    PigeonHoleImage image{};
    DeviceBinding binding;

private:
    void* view_ = nullptr;
    platform::SharedBlockHandle handle_ = nullptr;
    std::vector<const ElementRecord*> flagChanges_[kChangePeriod];
    std::vector<const ElementRecord*> valueChanges_[kChangePeriod];
    unsigned step_ = 0;
};

void report(benchmark::State& state, long long allocations, int qp, int ph) {
    const double cycles = static_cast<double>(state.iterations());
    state.counters["allocs/cycle"] = static_cast<double>(allocations) / cycles;
    state.counters["QP/cycle"] = qp / cycles;
    state.counters["PH/cycle"] = ph / cycles;
}

void BM_TransferCycle(benchmark::State& state) {
    Rig rig;
    rig.simulatorStep();
    runTransferCycle(rig.source, rig.list, rig.image, rig.binding); // settle the first sends
    g_qp = g_ph = 0;
    const long long before = g_allocations.load();
    for (auto _ : state) {
        rig.simulatorStep();
        runTransferCycle(rig.source, rig.list, rig.image, rig.binding);
    }
    report(state, g_allocations.load() - before, g_qp, g_ph);
}
BENCHMARK(BM_TransferCycle);

// "AnalogHoldBack=0": analog values written in the cycle that reads them.
void BM_TransferCycleNoHoldBack(benchmark::State& state) {
    Rig rig;
    TransferOptions options;
    options.analogHoldBack = false;
    rig.simulatorStep();
    runTransferCycle(rig.source, rig.list, rig.image, rig.binding, {}, options);
    g_qp = g_ph = 0;
    const long long before = g_allocations.load();
    for (auto _ : state) {
        rig.simulatorStep();
        runTransferCycle(rig.source, rig.list, rig.image, rig.binding, {}, options);
    }
    report(state, g_allocations.load() - before, g_qp, g_ph);
}
BENCHMARK(BM_TransferCycleNoHoldBack);

// "SafeOutputs=1": a detach's pass that turns every output off, then the attach's first cycle
// that turns on again what is on. One iteration is both.
void BM_SafeOutputsDetachAndAttach(benchmark::State& state) {
    Rig rig;
    rig.simulatorStep();
    runTransferCycle(rig.source, rig.list, rig.image, rig.binding);
    g_qp = g_ph = 0;
    const long long before = g_allocations.load();
    for (auto _ : state) {
        turnOutputsOff(rig.list, rig.image, rig.binding);
        rig.simulatorStep();
        runTransferCycle(rig.source, rig.list, rig.image, rig.binding);
    }
    report(state, g_allocations.load() - before, g_qp, g_ph);
}
BENCHMARK(BM_SafeOutputsDetachAndAttach);

// The same element reads with nothing around them: the floor a cycle cannot go below.
void BM_BareElementReads(benchmark::State& state) {
    Rig rig;
    const long long before = g_allocations.load();
    for (auto _ : state) {
        rig.simulatorStep();
        std::int64_t sum = 0;
        for (int i = 0; i < rig.list.count; ++i) {
            const Definition& d = *rig.list.items[i];
            if (d.kind == DefinitionFlag) {
                sum += rig.source.readFlag(d.elementIndex);
            } else {
                sum += rig.source.readScaled(d.elementIndex, d.multi, d.offset);
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    report(state, g_allocations.load() - before, 0, 0);
}
BENCHMARK(BM_BareElementReads);

// With "/debug": every analog value and every change writes a line, opening the file each time.
void BM_TransferCycleDebugMode(benchmark::State& state) {
    Rig rig;
    const std::string path =
        "/tmp/gb-transfer-bench-" +
        std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".txt";
    DebugLog log;
    TransferLogging logging{true, path.c_str(), &log};
    g_qp = g_ph = 0;
    const long long before = g_allocations.load();
    for (auto _ : state) {
        rig.simulatorStep();
        runTransferCycle(rig.source, rig.list, rig.image, rig.binding, logging);
    }
    report(state, g_allocations.load() - before, g_qp, g_ph);
    state.counters["lines/cycle"] = log.lineCount() / static_cast<double>(state.iterations());
    std::remove(path.c_str());
}
BENCHMARK(BM_TransferCycleDebugMode)->Iterations(200);

// Keeps each benchmark's CPU time per iteration (wall time suffers on a shared machine) to
// print the ratio after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            times[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto cycle = reporter.times.find("BM_TransferCycle");
    const auto bare = reporter.times.find("BM_BareElementReads");
    if (cycle != reporter.times.end() && bare != reporter.times.end() && bare->second > 0)
        std::printf("transfer cycle / bare element reads (CPU time): %.2f\n",
                    cycle->second / bare->second);
    benchmark::Shutdown();
    return 0;
}
