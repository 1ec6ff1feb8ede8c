// CPU use of the running glowbridge: user plus system time of the child over a window (default
// 60 s), as percent of one core. Twice, both times with the sample settings and definitions
// (samples/Glowbridge.ini) and USB card 1 served in this process (bench/program_rig.h):
//   idle      nothing to attach to: the process it watches for does not run, no block;
//   attached  it watches for this program, which publishes the block and plays the demo flight
//             into it every 50 ms, as falcon-sim --play does.
// The window starts once the card is open (idle) or the transfer runs (attached) and a second
// more has passed, so start-up is not counted.
//
// Options after Google Benchmark's own: --seconds N (default 60). Figures only.

#include "bench/program_rig.h"
#include "cockpit/element_table.h"
#include "platform/shared_block.h"
#include "support/published_block.h"
#include "tools/simulator/flight_script.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace gb;
using bench::Clock;

constexpr int kFlightTickMs = 50;

struct Options {
    int seconds = 60;
    std::string ownName;
};
Options options;

struct Row {
    const char* mode = "";
    double window = 0;
    double cpu = -1;
    double ownCpu = 0;
    double packetsPerSecond = 0;
    double itemsPerSecond = 0;
    std::string load;
};
std::vector<Row> rows;

// The demo flight played into the published block, over and over.
class Flight {
public:
    Flight(sim::BlockImage image, sim::FlightScript script)
        : image_(image), script_(std::move(script)), player_(script_) {}

    void tick(Clock::time_point now) {
        if (!started_) {
            start_ = now;
            started_ = true;
        }
        double t = std::chrono::duration<double>(now - start_).count() - offset_;
        if (t >= script_.length && player_.finished() && script_.length > 0) {
            player_.restart();
            offset_ += script_.length;
            t -= script_.length;
        }
        player_.advance(t, image_);
    }

private:
    sim::BlockImage image_;
    sim::FlightScript script_;
    sim::FlightPlayer player_;
    Clock::time_point start_{};
    double offset_ = 0;
    bool started_ = false;
};

// Serves the card (and plays the flight, when there is one) until `until` or until `done`
// holds; whether it does.
bool run(bench::ProgramRig& rig, Flight* flight, Clock::time_point until,
         const std::function<bool()>& done = nullptr) {
    std::function<bool(Clock::time_point)> onWrite;
    if (done) onWrite = [&](Clock::time_point) { return done(); };
    Clock::time_point nextTick = Clock::now();
    Clock::time_point nextDrain = Clock::now() + std::chrono::seconds(1);
    while (!rig.failed()) {
        const Clock::time_point now = Clock::now();
        if (done && done()) return true;
        if (now >= until) return false;
        if (flight != nullptr && now >= nextTick) {
            flight->tick(now);
            nextTick += std::chrono::milliseconds(kFlightTickMs);
            if (nextTick < now) nextTick = now + std::chrono::milliseconds(kFlightTickMs);
        }
        if (now >= nextDrain) {
            rig.drainOutput();
            nextDrain = now + std::chrono::seconds(1);
        }
        Clock::time_point next = std::min(until, nextDrain);
        if (flight != nullptr) next = std::min(next, nextTick);
        rig.serve(next, onWrite);
    }
    return false;
}

void BM_GlowbridgeCpu(benchmark::State& state, bool attached) {
    for (auto _ : state) {
        std::string sample;
        if (!bench::readWholeFile(GB_SAMPLE_INI, sample)) {
            state.SkipWithError("cannot read the sample settings file");
            return;
        }
        std::unique_ptr<test::PublishedBlock> block;
        std::optional<Flight> flight;
        if (attached) {
            if (platform::SharedBlockHandle other = platform::openSharedBlock(kSharedBlockName)) {
                platform::closeSharedBlock(other);
                state.SkipWithError("another program publishes FalconSharedMemoryArea");
                return;
            }
            block = std::make_unique<test::PublishedBlock>(kBlockSizeL200);
            std::string text;
            if (!block->ok() || !bench::readWholeFile(GB_DEMO_FLIGHT, text)) {
                state.SkipWithError("cannot publish the block or read the demo flight");
                return;
            }
            sim::FlightScript script = sim::parseFlightScript(text, kLayout200);
            if (!script.errors.empty()) {
                state.SkipWithError(script.errors.front().c_str());
                return;
            }
            flight.emplace(sim::BlockImage{block->bytes(), block->size(), kLayout200},
                           std::move(script));
        }
        Flight* playing = flight ? &*flight : nullptr;

        bench::ProgramRig rig;
        // A process name nobody runs keeps the idle program idle.
        std::string settings =
            bench::withSetting(sample, "F4CheckProc",
                               attached ? options.ownName : std::string("no-simulator-here.exe"));
        settings = bench::withSetting(settings, "DebugFile", rig.file("Glowbridge.txt"));
        std::string error;
        if (!rig.start(settings, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        emu::Card& card = rig.card();
        const bool ready = attached ? run(rig, playing, Clock::now() + std::chrono::seconds(40),
                                          [&] { return card.itemCount() > 0; })
                                    : run(rig, playing, Clock::now() + std::chrono::seconds(10),
                                          [&] { return card.handshakeDone(); });
        if (!ready) {
            std::fprintf(stderr, "glowbridge did not %s; its last lines:\n%s",
                         attached ? "attach" : "open the card", rig.recentOutput().c_str());
            state.SkipWithError(attached ? "glowbridge did not attach"
                                         : "glowbridge did not open the card");
            return;
        }
        run(rig, playing, Clock::now() + std::chrono::seconds(1));

        Row row;
        row.mode = attached ? "attached" : "idle";
        const std::uint64_t packets = card.log().total();
        const std::uint64_t items = card.itemCount();
        const double cpuBefore = bench::processCpuSeconds(rig.processId());
        const std::clock_t ownBefore = std::clock();
        const Clock::time_point from = Clock::now();
        run(rig, playing, from + std::chrono::seconds(options.seconds));
        const Clock::time_point to = Clock::now();
        const double cpuAfter = bench::processCpuSeconds(rig.processId());
        const std::clock_t ownAfter = std::clock();
        row.window = std::chrono::duration<double>(to - from).count();
        if (cpuBefore >= 0 && cpuAfter >= 0) row.cpu = cpuAfter - cpuBefore;
        row.ownCpu = static_cast<double>(ownAfter - ownBefore) / CLOCKS_PER_SEC;
        row.packetsPerSecond = static_cast<double>(card.log().total() - packets) / row.window;
        row.itemsPerSecond = static_cast<double>(card.itemCount() - items) / row.window;
        row.load = bench::loadAverageText();
        rig.stop();
        rows.push_back(row);

        state.counters["cpu_pct"] = 100.0 * row.cpu / row.window;
        state.counters["cpu_s"] = row.cpu;
        state.counters["window_s"] = row.window;
        state.counters["bench_cpu_pct"] = 100.0 * row.ownCpu / row.window;
        state.counters["packets/s"] = row.packetsPerSecond;
        state.counters["items/s"] = row.itemsPerSecond;
        state.counters["load1"] = bench::loadAverage1();
    }
}
BENCHMARK_CAPTURE(BM_GlowbridgeCpu, idle, false)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_GlowbridgeCpu, attached, true)->Iterations(1)->Unit(benchmark::kSecond);

void printTable() {
    std::printf("\nglowbridge CPU (user + system of the child) as percent of one core\n");
    std::printf("%-9s %8s %8s %7s %10s %10s %8s  %s\n", "mode", "window s", "CPU s", "CPU %",
                "packets/s", "items/s", "bench %", "load average after");
    for (const Row& r : rows) {
        std::printf("%-9s %8.1f %8.2f %7.2f %10.1f %10.1f %8.2f  %s\n", r.mode, r.window, r.cpu,
                    100.0 * r.cpu / r.window, r.packetsPerSecond, r.itemsPerSecond,
                    100.0 * r.ownCpu / r.window, r.load.c_str());
    }
    std::printf("(bench %%: this program serving the card and playing the flight)\n");
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        char* end = nullptr;
        const long value = i + 1 < argc ? std::strtol(argv[i + 1], &end, 10) : 0;
        if (arg == "--seconds" && end != argv[i + 1] && *end == '\0' && value >= 1 &&
            value <= 3600) {
            options.seconds = static_cast<int>(value);
            ++i;
        } else {
            std::fprintf(stderr, "usage: %s [benchmark options] [--seconds 1-3600]\n", argv[0]);
            return 2;
        }
    }
    options.ownName = bench::ownProcessName(argv[0]);
    if (options.ownName.empty()) {
        std::fprintf(stderr, "%s: cannot find this program in the process list\n", argv[0]);
        return 1;
    }
    std::printf("load average (1, 5, 15 min) at the start: %s\n", bench::loadAverageText().c_str());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!rows.empty()) printTable();
    return 0;
}
