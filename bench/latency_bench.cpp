// End-to-end latency of the running program: from a change in the simulator's block to the batch
// packet that carries it arriving at the card. This program publishes "FalconSharedMemoryArea"
// itself and serves USB card 1 in-process (bench/program_rig.h), so the path measured is
// glowbridge's read timer, its transfer cycle, QUARNIO's 30 ms poll and one socket message.
// glowbridge runs as a child with the default periods and watches for this program as its
// simulator. Each sample changes one bound element (a QProc flag, a Pigeon-hole bit or an analog
// value) at a random moment relative to the read timer and waits for the card to see it.
//
// Flags should reach the card within one read period plus one poll period. An analog value is
// written only once two cycles in a row have read it (the transfer cycle holds a new value back
// one cycle), so it takes one read period more: it is reported on its own, against its own bound.
//
// Options after Google Benchmark's own: --samples N (default 300), --read-ms N (F4ReadTimer,
// default 100). Figures only; nothing is asserted.

#include "bench/program_rig.h"
#include "cockpit/element_table.h"
#include "platform/shared_block.h"
#include "support/published_block.h"
#include "tools/simulator/assignment.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace gb;
using bench::Clock;

constexpr int kPollPeriodMs = 30;
constexpr int kSampleTimeoutMs = 2000;

struct Options {
    int samples = 300;
    int readMs = 100;
    std::string ownName;
};
Options options;

enum class Kind {
    QProcFlag,
    PigeonHoleBit,
    Analog
};
constexpr std::array<const char*, 3> kKindNames{"QProc flag", "Pigeon-hole bit", "analog"};

// The bound elements: the assignment that sets them in the block and how the card shows them.
struct Element {
    Kind kind;
    const char* name; // as the simulator stand-in names it
    int qpOn = 0, qpOff = 0;
    int ph = 0, byte = 0;
    std::uint8_t mask = 0;
};
const std::array<Element, 5> kElements{{
    {Kind::QProcFlag, "Eyebrow Lights/MasterCaution", 5, 6, 0, 0, 0},
    {Kind::QProcFlag, "Eyebrow Lights/EngFire", 7, 8, 0, 0, 0},
    {Kind::PigeonHoleBit, "Caution Lights/FwdFuelLow", 0, 0, 10, 0, 0x01},
    {Kind::PigeonHoleBit, "Caution Lights/Hook", 0, 0, 10, 1, 0x02},
    {Kind::Analog, "Primary Data/KIAS", 0, 0, 20, 0, 0}, // KIAS * 0.5 into byte 0
}};

const char kDefinitions[] = "[Eyebrow Lights]\n"
                            "MasterCaution=5,6\n"
                            "EngFire=7,8\n"
                            "[Caution Lights]\n"
                            "FwdFuelLow=10,0,0b00000001\n"
                            "Hook=10,1,0b00000010\n"
                            "[Primary Data]\n"
                            "KIAS=20,0,0.5,0\n";

struct Results {
    bool ran = false;
    std::array<std::vector<double>, 3> byKind;
    std::vector<double> flags; // QProc flags and Pigeon-hole bits
    int missed = 0;
    std::string loadBefore, loadAfter;
};
Results results;

// p99 bounds: a flag within one read period and one poll period (plus 5 ms for the hops); an
// analog value one read period later.
double flagTarget() {
    return options.readMs + kPollPeriodMs + 5;
}
double analogTarget() {
    return 2 * options.readMs + kPollPeriodMs + 5;
}

void BM_BlockChangeToCardPacket(benchmark::State& state) {
    for (auto _ : state) {
        results = Results{};
        results.loadBefore = bench::loadAverageText();
        // Another publisher would be replaced under it (and its readers with it).
        if (platform::SharedBlockHandle other = platform::openSharedBlock(kSharedBlockName)) {
            platform::closeSharedBlock(other);
            state.SkipWithError("another program publishes FalconSharedMemoryArea");
            return;
        }
        test::PublishedBlock block(kBlockSizeL200);
        if (!block.ok()) {
            state.SkipWithError("cannot publish FalconSharedMemoryArea");
            return;
        }
        sim::BlockImage image{block.bytes(), block.size(), kLayout200};
        // Per element the write that sets it and the one that clears it (analog: any value).
        std::array<std::array<sim::Assignment, 2>, kElements.size()> writes;
        for (std::size_t i = 0; i < kElements.size(); ++i) {
            const bool analog = kElements[i].kind == Kind::Analog;
            for (int on = 0; on < 2; ++on) {
                const sim::ParseResult parsed =
                    sim::parseAssignment(std::string(kElements[i].name) + (analog ? "=0"
                                                                           : on   ? "=on"
                                                                                  : "=off"),
                                         kLayout200, false);
                if (parsed.status != sim::ParseStatus::Ok) {
                    state.SkipWithError(parsed.message.c_str());
                    return;
                }
                writes[i][on] = parsed.assignment;
            }
        }

        bench::ProgramRig rig;
        std::string error;
        const std::string settings =
            "[Settings]\nQUARNDevice=1\nF4CheckProc=" + options.ownName +
            "\nF4CheckTimer=4000\nF4ReadTimer=" + std::to_string(options.readMs) +
            "\nDebugFile=" + rig.file("Glowbridge.txt") + "\n" + kDefinitions;
        if (!rig.start(settings, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        emu::Card& card = rig.card();
        // Attached when the first cycle's items arrive (three check ticks after the start).
        if (!rig.serveUntil([&] { return card.itemCount() > 0; }, 30000)) {
            std::fprintf(stderr, "glowbridge did not attach; its last lines:\n%s",
                         rig.recentOutput().c_str());
            state.SkipWithError("glowbridge did not attach");
            return;
        }
        rig.serve(Clock::now() + std::chrono::milliseconds(500));

        std::mt19937 random(20240611);
        std::uniform_int_distribution<std::size_t> pick(0, kElements.size() - 1);
        std::uniform_int_distribution<int> byteValue(0, 255);
        // Up to two read periods after the previous sample: every phase of the read timer.
        std::uniform_real_distribution<double> gapMs(20.0, 20.0 + 2.0 * options.readMs);
        std::array<bool, kElements.size()> lit{};
        int speedByte = 0;

        for (int n = 0; n < options.samples; ++n) {
            const std::size_t which = pick(random);
            const Element& e = kElements[which];
            sim::Assignment* write = &writes[which][0];
            std::function<bool()> arrived;
            const std::uint64_t qprocsBefore = card.qprocCount();
            if (e.kind == Kind::Analog) {
                int next = byteValue(random);
                if (next == speedByte) next = (next + 1) % 256;
                speedByte = next;
                write->from = write->to = 2.0 * next;
                arrived = [&card, e, next] { return card.pigeonHole(e.ph)[e.byte] == next; };
            } else {
                lit[which] = !lit[which];
                const bool on = lit[which];
                write = &writes[which][on ? 1 : 0];
                if (e.kind == Kind::QProcFlag) {
                    const int qp = on ? e.qpOn : e.qpOff;
                    arrived = [&card, qprocsBefore, qp] {
                        const std::uint64_t calls = card.qprocCount() - qprocsBefore;
                        for (std::uint64_t i = 0; i < calls && i < emu::Card::QProcLogSize; ++i)
                            if (card.recentQProc(i) == qp) return true;
                        return false;
                    };
                } else {
                    arrived = [&card, e, on] {
                        return (card.pigeonHole(e.ph)[e.byte] & e.mask) == (on ? e.mask : 0);
                    };
                }
            }

            sim::applyAssignment(*write, image);
            const Clock::time_point changed = Clock::now();
            Clock::time_point at{};
            const bool seen = rig.serve(changed + std::chrono::milliseconds(kSampleTimeoutMs),
                                        [&](Clock::time_point when) {
                                            at = when;
                                            return arrived();
                                        });
            if (seen) {
                const double ms = bench::millisecondsBetween(changed, at);
                results.byKind[static_cast<int>(e.kind)].push_back(ms);
                if (e.kind != Kind::Analog) results.flags.push_back(ms);
            } else {
                ++results.missed;
                if (rig.failed()) break;
            }
            rig.drainOutput();
            rig.serve(Clock::now() +
                      std::chrono::microseconds(static_cast<long long>(gapMs(random) * 1000.0)));
        }
        rig.stop();
        results.loadAfter = bench::loadAverageText();
        results.ran = true;

        const bench::Percentiles flags = bench::percentilesOf(results.flags);
        const bench::Percentiles analog =
            bench::percentilesOf(results.byKind[static_cast<int>(Kind::Analog)]);
        state.counters["p50_ms"] = flags.p50;
        state.counters["p99_ms"] = flags.p99;
        state.counters["max_ms"] = flags.max;
        state.counters["samples"] = static_cast<double>(flags.count);
        state.counters["target_p99_ms"] = flagTarget();
        state.counters["analog_p50_ms"] = analog.p50;
        state.counters["analog_p99_ms"] = analog.p99;
        state.counters["analog_max_ms"] = analog.max;
        state.counters["missed"] = results.missed;
        state.counters["load1"] = bench::loadAverage1();
    }
}
BENCHMARK(BM_BlockChangeToCardPacket)->Iterations(1)->Unit(benchmark::kSecond);

void printTable() {
    std::printf("\nBlock change to the card's batch packet: F4ReadTimer %d ms, poll %d ms\n",
                options.readMs, kPollPeriodMs);
    std::printf("%-16s %7s %9s %9s %9s %9s %11s\n", "element", "samples", "p50 ms", "p99 ms",
                "max ms", "mean ms", "p99 bound");
    auto row = [](const char* name, const std::vector<double>& samples, double bound) {
        const bench::Percentiles p = bench::percentilesOf(samples);
        std::printf("%-16s %7zu %9.1f %9.1f %9.1f %9.1f %8.0f %s\n", name, p.count, p.p50, p.p99,
                    p.max, p.mean, bound, p.count > 0 && p.p99 < bound ? "met" : "NOT met");
    };
    row(kKindNames[0], results.byKind[0], flagTarget());
    row(kKindNames[1], results.byKind[1], flagTarget());
    row("flags", results.flags, flagTarget());
    row(kKindNames[2], results.byKind[2], analogTarget());
    std::printf("missed (no packet within %d ms): %d\n", kSampleTimeoutMs, results.missed);
    std::printf("load average (1, 5, 15 min): %s before, %s after\n", results.loadBefore.c_str(),
                results.loadAfter.c_str());
}

bool parseCount(const char* text, int low, int high, int& value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < low || v > high) return false;
    value = static_cast<int>(v);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        if (arg == "--samples" && parseCount(value, 1, 100000, options.samples)) {
            ++i;
        } else if (arg == "--read-ms" && parseCount(value, 50, 2000, options.readMs)) {
            ++i;
        } else {
            std::fprintf(stderr,
                         "usage: %s [benchmark options] [--samples N] [--read-ms 50-2000]\n",
                         argv[0]);
            return 2;
        }
    }
    options.ownName = bench::ownProcessName(argv[0]);
    if (options.ownName.empty()) {
        std::fprintf(stderr, "%s: cannot find this program in the process list\n", argv[0]);
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (results.ran) printTable();
    return 0;
}
