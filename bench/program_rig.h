#pragma once
// What surrounds a running glowbridge in the end-to-end benchmarks: USB card 1 served in this
// process (the card emulator's core behind the emulator transport's endpoint, so no emulator
// process and no extra hop), glowbridge started as a child on a settings file written for the
// run, and the figures the benchmarks share: percentiles, a process's CPU time, the load average.
// Native only: the CPU time comes from /proc.

#include "support/child_process.h"
#include "support/temp_folder.h"
#include "tools/card_emulator/card.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gb::platform::emulator {
class Endpoint;
}

namespace gb::bench {

using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point from, Clock::time_point to);

class ProgramRig {
public:
    ProgramRig();
    // Ends glowbridge as Ctrl-C does, serving the card while it closes it.
    ~ProgramRig();
    ProgramRig(const ProgramRig&) = delete;
    ProgramRig& operator=(const ProgramRig&) = delete;

    // Writes `settings` as glowbridge's INI file (settings and definitions) and starts it, the
    // card's address in QUARNIO_EMULATOR and a registry of its own. False with `error`.
    bool start(const std::string& settings, std::string& error);

    // Serves the card until `until`, or until `onWrite` returns true; it is called after each
    // packet written to the card, with the time the packet arrived. Returns true when `onWrite`
    // ended it.
    bool serve(Clock::time_point until,
               const std::function<bool(Clock::time_point)>& onWrite = nullptr);
    // Serves the card until `condition` holds or `timeoutMs` have passed; whether it holds.
    bool serveUntil(const std::function<bool()>& condition, int timeoutMs);

    // Reads what glowbridge printed (its tray lines) so that it never blocks on a full pipe.
    // Costs up to a millisecond: call it where no packet is being timed.
    void drainOutput();
    // The last lines glowbridge printed, for a failure message.
    std::string recentOutput() const;

    // Ctrl-C, serving the card until glowbridge has closed it and ended; its exit code or -1.
    int stop();

    emu::Card& card() { return card_; }
    std::string file(const std::string& name) const { return folder_.file(name); }
    long long processId() const { return glowbridge_.processId(); }
    bool failed() const { return failed_; }

private:
    test::TempFolder folder_{"gb-bench"};
    emu::Card card_{1};
    std::unique_ptr<platform::emulator::Endpoint> endpoint_;
    test::ChildProcess glowbridge_;
    bool started_ = false;
    bool connected_ = false;
    bool failed_ = false;
    std::vector<std::string> recent_;
};

// The name this program runs under as the process list reports it (what F4CheckProc must name to
// make glowbridge attach to it); empty when the list does not show it.
std::string ownProcessName(const char* argv0);

// User plus system CPU seconds a process has used so far; negative when it cannot be read.
double processCpuSeconds(long long processId);

// The system's load average over 1, 5 and 15 minutes, as "6.72 6.71 3.37".
std::string loadAverageText();
double loadAverage1();

struct Percentiles {
    std::size_t count = 0;
    double p50 = 0;
    double p99 = 0;
    double max = 0;
    double mean = 0;
};

// Nearest-rank percentiles of `samples`.
Percentiles percentilesOf(std::vector<double> samples);

// `text` with the value of every `key=` line replaced by `value` (added to [Settings] when the
// key is missing).
std::string withSetting(const std::string& text, const std::string& key, const std::string& value);

bool readWholeFile(const std::string& path, std::string& text);

} // namespace gb::bench
