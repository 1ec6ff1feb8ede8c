// glowbridge-monitor --record: the cost of one snapshot with every element watched, and how big
// a recorded flight grows. The block is an image in memory played by the stand-in simulator's
// own script player, so the figures leave out the display and the shared block.

#include "cockpit/element_table.h"
#include "tools/monitor/monitor_view.h"
#include "tools/monitor/recorder.h"
#include "tools/simulator/flight_script.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace gb;

namespace {

constexpr double kSnapshotSeconds = 0.1; // as often as Glowbridge reads, --record's default

std::vector<int> allPositions() {
    std::vector<int> positions;
    std::string error;
    monitor::selectElements({}, positions, error);
    return positions;
}

sim::FlightScript demoFlight() {
    std::ifstream in(GB_DEMO_FLIGHT, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return sim::parseFlightScript(text.str(), kLayout200);
}

// The demo flight in a block image, looped, one snapshot every 100 ms of flight time.
struct Flight {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kBlockSizeL200, 0);
    sim::BlockImage image{bytes.data(), bytes.size(), kLayout200};
    sim::FlightScript script = demoFlight();
    sim::FlightPlayer player{script};
    double flightTime = 0.0;

    void advance() {
        flightTime += kSnapshotSeconds;
        if (flightTime >= script.length) {
            flightTime -= script.length;
            player.restart();
        }
        player.advance(flightTime, image);
    }
};

// Nothing changed since the last snapshot: the comparison alone.
void BM_RecordSnapshotUnchanged(benchmark::State& state) {
    std::vector<std::uint8_t> block(kBlockSizeL200, 0);
    monitor::Recorder recorder;
    recorder.watch(allPositions(), kLayout200);
    std::string out;
    recorder.snapshot(block.data(), 0.0, out);
    double t = 0.0;
    for (auto _ : state) {
        out.clear();
        benchmark::DoNotOptimize(recorder.snapshot(block.data(), t += kSnapshotSeconds, out));
    }
    state.counters["fields"] = static_cast<double>(recorder.fields().size());
}
BENCHMARK(BM_RecordSnapshotUnchanged);

// Every field changes every snapshot: the worst case, one line per field.
void BM_RecordSnapshotAllChange(benchmark::State& state) {
    std::vector<std::uint8_t> block(kBlockSizeL200, 0);
    monitor::Recorder recorder;
    recorder.watch(allPositions(), kLayout200);
    std::string out;
    double t = 0.0;
    std::uint8_t fill = 0;
    for (auto _ : state) {
        for (std::uint8_t& b : block)
            b = ++fill;
        out.clear();
        benchmark::DoNotOptimize(recorder.snapshot(block.data(), t += kSnapshotSeconds, out));
    }
    state.counters["bytes_per_snapshot"] = static_cast<double>(out.size());
}
BENCHMARK(BM_RecordSnapshotAllChange);

// The demo flight, with each snapshot written and flushed to a file as the monitor does. The
// player's advance is inside the timing; BM_PlayerAdvanceOnly gives it alone.
void BM_RecordSnapshotDemoFlightToFile(benchmark::State& state) {
    Flight flight;
    monitor::Recorder recorder;
    recorder.watch(allPositions(), kLayout200);
    std::FILE* file = std::tmpfile();
    std::string out;
    double t = 0.0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        flight.advance();
        out.clear();
        recorder.snapshot(flight.bytes.data(), t += kSnapshotSeconds, out);
        std::fwrite(out.data(), 1, out.size(), file);
        std::fflush(file);
        bytes += out.size();
    }
    std::fclose(file);
    state.counters["bytes_per_snapshot"] =
        benchmark::Counter(static_cast<double>(bytes) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_RecordSnapshotDemoFlightToFile);

void BM_PlayerAdvanceOnly(benchmark::State& state) {
    Flight flight;
    for (auto _ : state)
        flight.advance();
}
BENCHMARK(BM_PlayerAdvanceOnly);

// Size of a 10-minute recording: the 20-second demo flight looped for 600 s of flight time,
// every element watched, a snapshot every 100 ms (6000 snapshots), measured, not extrapolated.
void BM_RecordedTenMinuteFlightSize(benchmark::State& state) {
    std::size_t bytes = 0;
    std::size_t lines = 0;
    for (auto _ : state) {
        Flight flight;
        monitor::Recorder recorder;
        recorder.watch(allPositions(), kLayout200);
        std::string out = recorder.header();
        bytes = out.size();
        lines = 0;
        out.clear();
        recorder.snapshot(flight.bytes.data(), 0.0, out);
        for (int i = 1; i <= 6000; ++i) {
            flight.advance();
            lines += recorder.snapshot(flight.bytes.data(), i * kSnapshotSeconds, out);
            bytes += out.size();
            out.clear();
        }
        bytes += recorder.endLine(600.0).size();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_RecordedTenMinuteFlightSize)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
