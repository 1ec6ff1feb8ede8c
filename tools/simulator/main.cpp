// falcon-sim: a stand-in for the flight simulator. It publishes "FalconSharedMemoryArea" in one
// of the three layouts, writes what it is told into it, plays flight scripts, and holds the block
// until Ctrl-C. Started as EFALCON.EXE, it is also what the process watch looks for.

#include "cockpit/element_catalog.h"
#include "cockpit/element_table.h"
#include "platform/ascii.h"
#include "platform/shared_block.h"
#include "tools/console/arguments.h"
#include "tools/console/console.h"
#include "tools/simulator/assignment.h"
#include "tools/simulator/flight_script.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace gb;
using namespace gb::sim;

namespace {

constexpr const char* kUsage = R"(usage: falcon-sim [options] [ASSIGNMENT...]

Publishes the simulator's shared block "FalconSharedMemoryArea", writes the assignments
into it, optionally plays a flight script, and holds the block until Ctrl-C.

Options:
  --layout 100|110|200  block layout: 124, 1240 or 1264 bytes (default 200)
  --play FILE           play a flight script, over and over
  --once                with --play: play the flight once, then end
  --seconds N           end after N seconds (0 to 1000000000)
  --tick MS             how often a script's ramps are written: 1 to 10000 (default 50)
  --commands            also take assignments from standard input while running, one a
                        line; "quit" or the end of the input ends the program
  --quiet               no progress lines
  --list                list every element and where it lies in the layout, then end
  --version             the version
  --help                this text

Only one simulator holds the block at a time: a second one is refused while the first runs.
A block left by a simulator that was killed is replaced.

Assignments (quote them: names contain spaces):
  Group/Element=value   names as in the definition file, any case:
                          "Caution Lights/MasterCaution=on"   "Primary Data/KIAS=250"
    flags                 on, off, 1 or 0: sets or clears the element's bit
    values                a number; whole numbers for the TACAN channels
    Gear Lights/Left, Nose, Right
                          on, off or a gear position. Layout 100 keeps one position for all
                          three at 0x05C (on = 1.0); layouts 110/200 keep one each at
                          0x090, 0x08C, 0x094 (on = 1.5)
    Gear Lights/Handle    on or off. Layouts 110/200: bit 0x40000000 of the word at 0x07C.
                          Layout 100: on puts the gear in transit (position 0.5), off puts a
                          gear in transit up (0.0)
    Speed Lights/...      on writes a KIAS inside the light's band: TooLow 100, VeryLow 150,
                          Low 300, Good 350, High 450, VeryHigh 550; off moves a lit light's
                          KIAS to 250, where no speed light is lit
    Alt10000 ... Alt10, KIAS1000 ... KIAS10
                          digits of Primary Data/Altitude and KIAS: set those. The block holds
                          the height negated: Altitude=-12500 shows 12500 on the digits
  @offset:type=value    raw write at a byte offset: "@0x6C:u32=0x1"  "@0x34:f32=250"
                          types u8 u16 u32 i32 f32; set / clear OR or clear bits of a 32-bit word

Flight script lines:  t=2.5 Caution Lights/MasterCaution=on
                      t=3..13 Primary Data/KIAS=0..350      (linear ramp)
                      t=20 end                              (length of the flight)
)";

// Progress lines quote what the user typed, so they go through tools::printable.
void say(bool quiet, const char* format, const std::string& text) {
    if (quiet) return;
    std::printf(format, tools::printable(text).c_str());
    std::fflush(stdout);
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "falcon-sim: %s\n(falcon-sim --help shows the usage)\n",
                 tools::printable(message).c_str());
    return 2;
}

void complain(const std::string& message) {
    std::fprintf(stderr, "falcon-sim: %s\n", tools::printable(message).c_str());
}

// False with the reason in `error`: a folder would read as an empty script.
bool readFile(const std::string& path, std::string& text, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = path + " is a folder, not a flight script";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return true;
}

void listElements(std::int32_t layout) {
    std::printf("Elements in layout %d (%zu bytes):\n", static_cast<int>(layout),
                blockSizeOf(layout));
    for (int pos : allElements()) {
        const CatalogEntry& entry = ElementCatalog[pos];
        const ElementRecord& record = ElementTable[entry.elementIndex];
        char where[96] = "";
        switch (record.kind) {
        case ElementKind::Absent:
            std::snprintf(where, sizeof where, "absent (always off / 0)");
            break;
        case ElementKind::Computed:
            std::snprintf(where, sizeof where, "computed (see --help)");
            break;
        default:
            if (record.minLayout > layout) {
                std::snprintf(where, sizeof where, "needs layout %d",
                              static_cast<int>(record.minLayout));
            } else if (record.kind == ElementKind::BitFlag) {
                std::snprintf(where, sizeof where, "bit 0x%08X of the word at 0x%03X",
                              static_cast<unsigned>(record.mask),
                              static_cast<unsigned>(offsetIn(record, layout)));
            } else {
                std::snprintf(where, sizeof where, "%s at 0x%03X",
                              record.kind == ElementKind::IntValue ? "int32" : "float",
                              static_cast<unsigned>(offsetIn(record, layout)));
            }
        }
        const std::string name = std::string(groupOf(pos)) + "/" + entry.elementName;
        std::printf("  %3d  %-34s %s\n", static_cast<int>(entry.elementIndex), name.c_str(), where);
    }
}

// Lines from standard input, read on a thread of their own so that the main loop keeps its
// timing; the main loop takes them at its next tick.
class CommandInput {
public:
    void start() {
        std::thread([this] {
            for (std::string line; std::getline(std::cin, line);) {
                std::lock_guard<std::mutex> lock(mutex_);
                lines_.push_back(line);
            }
            ended_ = true;
        }).detach(); // may stay blocked in a read until the process ends
    }
    bool take(std::string& line) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (lines_.empty()) return false;
        line = lines_.front();
        lines_.pop_front();
        return true;
    }
    bool ended() const { return ended_; }

private:
    std::mutex mutex_;
    std::deque<std::string> lines_;
    std::atomic<bool> ended_{false};
};

// Applies the commands that arrived; false once the input asks to end or has ended.
bool runCommands(CommandInput& input, BlockImage& image, bool quiet) {
    // Read first: every line arrived before the end was seen, so this round takes them all.
    const bool ended = input.ended();
    std::string line;
    while (input.take(line)) {
        const std::string_view text = trim(line);
        if (text.empty() || text.front() == '#') continue;
        if (gb::ascii::equalIgnoringCase(text, "quit")) return false;
        ParseResult parsed = parseAssignment(text, image.layout, false);
        if (parsed.status != ParseStatus::Ok) {
            complain(parsed.message);
            continue;
        }
        applyAssignment(parsed.assignment, image);
        say(quiet, "falcon-sim: %s\n", parsed.assignment.label + "=" + parsed.assignment.valueText);
    }
    return !ended;
}

struct Options {
    std::int32_t layout = kLayout200;
    std::string script;
    bool once = false;
    double seconds = -1.0;
    int tickMs = 50;
    bool quiet = false;
    bool list = false;
    bool commands = false;
    std::vector<std::string> assignments;
};

// 0 to run, otherwise the exit code.
int parseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        std::int64_t whole = 0;
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            std::fputs(kUsage, stdout);
            return -1;
        } else if (arg == "--version") {
            std::printf("falcon-sim %s\n", tools::toolsVersion());
            return -1;
        } else if (arg == "--layout" && hasValue) {
            if (!tools::parseWholeNumber(argv[++i], 100, 200, whole) ||
                blockSizeOf(static_cast<std::int32_t>(whole)) == 0)
                return usageError(std::string("--layout takes 100, 110 or 200, not \"") + argv[i] +
                                  "\"");
            o.layout = static_cast<std::int32_t>(whole);
        } else if (arg == "--play" && hasValue) {
            o.script = argv[++i];
        } else if (arg == "--seconds" && hasValue) {
            if (!tools::parseRealNumber(argv[++i], 0.0, 1e9, o.seconds))
                return usageError(std::string("--seconds takes 0 to 1000000000 seconds, not \"") +
                                  argv[i] + "\"");
        } else if (arg == "--tick" && hasValue) {
            if (!tools::parseWholeNumber(argv[++i], 1, 10000, whole))
                return usageError(std::string("--tick takes 1 to 10000 milliseconds, not \"") +
                                  argv[i] + "\"");
            o.tickMs = static_cast<int>(whole);
        } else if (arg == "--once") {
            o.once = true;
        } else if (arg == "--commands") {
            o.commands = true;
        } else if (arg == "--quiet") {
            o.quiet = true;
        } else if (arg == "--list") {
            o.list = true;
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return usageError("unknown option or missing value: " + arg);
        } else {
            o.assignments.push_back(arg);
        }
    }
    if (o.once && o.script.empty()) return usageError("--once needs --play FILE");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (const int code = parseOptions(argc, argv, o); code != 0) return code < 0 ? 0 : code;
    if (o.list) {
        listElements(o.layout);
        return 0;
    }

    // Everything is checked before the block exists, so a typo never publishes half a state.
    std::vector<Assignment> initial;
    for (const std::string& text : o.assignments) {
        ParseResult parsed = parseAssignment(text, o.layout, false);
        if (parsed.status != ParseStatus::Ok) return usageError(parsed.message);
        initial.push_back(std::move(parsed.assignment));
    }
    FlightScript script;
    if (!o.script.empty()) {
        std::string text;
        std::string error;
        if (!readFile(o.script, text, error)) {
            complain(error);
            return 1;
        }
        script = parseFlightScript(text, o.layout);
        for (const std::string& w : script.warnings)
            complain(o.script + ": " + w);
        for (const std::string& e : script.errors)
            complain(o.script + ": " + e);
        if (!script.errors.empty()) return 1;
    }

    tools::installStopHandler();
    const std::size_t size = blockSizeOf(o.layout);
    void* view = nullptr;
    platform::SharedBlockCreated created = platform::SharedBlockCreated::Failed;
    platform::SharedBlockHandle block =
        platform::createSharedBlock(kSharedBlockName, size, &view, &created);
    if (created == platform::SharedBlockCreated::Busy) {
        std::fprintf(stderr,
                     "falcon-sim: another simulator holds %s; end it first (its block is left "
                     "as it is)\n",
                     kSharedBlockName);
        return 1;
    }
    if (block == nullptr) {
        std::fprintf(stderr, "falcon-sim: cannot create %s\n", kSharedBlockName);
        return 1;
    }
    if (created == platform::SharedBlockCreated::ReplacedOrphan)
        say(o.quiet, "falcon-sim: %s\n",
            std::string("replaced ") + kSharedBlockName + ", left by a simulator that is gone");
    BlockImage image{static_cast<std::uint8_t*>(view), size, o.layout};
    for (const Assignment& a : initial) {
        applyAssignment(a, image);
        say(o.quiet, "falcon-sim: %s\n", a.label + "=" + a.valueText);
    }
    // Printed always: scripts and tests wait for this line before they read the block.
    std::printf("falcon-sim: holding %s, layout %d (%zu bytes); Ctrl-C ends\n", kSharedBlockName,
                static_cast<int>(o.layout), size);
    std::fflush(stdout);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    FlightPlayer player(script);
    const bool playing = !o.script.empty();
    double flightStart = 0.0;
    int round = 1;
    std::vector<int> started;
    CommandInput input;
    if (o.commands) input.start();
    while (!tools::stopRequested()) {
        const double now = elapsed();
        if (o.seconds >= 0.0 && now >= o.seconds) break;
        if (o.commands && !runCommands(input, image, o.quiet)) break;
        if (playing) {
            double t = now - flightStart;
            if (t >= script.length && player.finished()) {
                if (o.once) {
                    say(o.quiet, "falcon-sim: %s\n", std::string("flight over"));
                    break;
                }
                if (script.length > 0.0) {
                    player.restart();
                    flightStart += script.length;
                    t = now - flightStart;
                    ++round;
                    say(o.quiet, "falcon-sim: %s\n", "flight round " + std::to_string(round));
                }
            }
            started.clear();
            player.advance(t, image, &started);
            for (int i : started) {
                const ScriptStep& step = script.steps[static_cast<std::size_t>(i)];
                char time[32];
                std::snprintf(time, sizeof time, "t=%.1f ", step.start);
                say(o.quiet, "falcon-sim: %s\n",
                    time + step.assignment.label + "=" + step.assignment.valueText);
            }
        }
        tools::sleepUnlessStopped(o.tickMs);
    }

    platform::destroySharedBlock(block, view, size);
    std::printf("falcon-sim: released %s\n", kSharedBlockName);
    std::fflush(stdout);
    return 0;
}
