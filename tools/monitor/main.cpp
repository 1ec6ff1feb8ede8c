// glowbridge-monitor: shows cockpit elements exactly as Glowbridge reads them, through the
// program's own SharedMemorySource, once or live.

#include "cockpit/element_table.h"
#include "cockpit/shared_memory_source.h"
#include "platform/message_box.h"
#include "platform/shared_block.h"
#include "tools/console/console.h"
#include "tools/monitor/monitor_view.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace gb;

namespace {

constexpr const char* kUsage = R"(usage: glowbridge-monitor [options] [NAME...]

Shows cockpit elements as Glowbridge reads them from the simulator's block
"FalconSharedMemoryArea": flags On/Off, values as read and scaled, and the layout detected.

NAME is "Group/Element" (e.g. "Eyebrow Lights/MasterCaution"), a whole group
(e.g. "Gear Lights"), or all (the default). Case does not matter; quote names with spaces.

Options:
  --once          one snapshot, then end (default: live until Ctrl-C)
  --interval MS   live refresh every MS milliseconds (default 500)
  --count N       end after N snapshots
  --wait S        wait up to S seconds for the block to appear (default: live waits until
                  Ctrl-C, --once does not wait)
  --multi X       multiplier of the scaled column (default 1), as in a definition
  --offset N      added after scaling (default 0)
  --until-gone    end when the block goes away (seen natively; under Windows the name stays
                  while the monitor maps it, so there it ends only by --count or Ctrl-C)
  --machine       for scripts: "# layout L size B", then one element a line, tab-separated:
                  index, group, element, flag state (On/Off), value, scaled value
  --help          this text
)";

// The source reports attach failures in a message box; a console tool prints them instead, and
// only once while it keeps retrying.
class ConsoleMessages : public platform::MessageBoxResponder {
public:
    int answer(platform::WindowHandle, const char* text, const char* caption,
               unsigned style) override {
        const std::string message = std::string(caption) + ": " + text;
        if (message != last_) std::fprintf(stderr, "glowbridge-monitor: %s\n", message.c_str());
        last_ = message;
        return platform::defaultButton(style);
    }
    void forget() { last_.clear(); }

private:
    std::string last_;
};

int usageError(const std::string& message) {
    std::fprintf(stderr, "glowbridge-monitor: %s\n(glowbridge-monitor --help shows the usage)\n",
                 message.c_str());
    return 2;
}

struct Options {
    bool once = false;
    int intervalMs = 500;
    long count = -1;
    double waitSeconds = -1.0;
    bool machine = false;
    bool untilGone = false;
    monitor::Scaling scaling;
    std::vector<std::string> names;
};

int parseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        double n = 0.0;
        auto number = [&] {
            char* end = nullptr;
            n = std::strtod(argv[++i], &end);
            return *end == '\0' && end != argv[i] && std::isfinite(n);
        };
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            std::fputs(kUsage, stdout);
            return -1;
        } else if (arg == "--once") {
            o.once = true;
        } else if (arg == "--until-gone") {
            o.untilGone = true;
        } else if (arg == "--machine") {
            o.machine = true;
        } else if (arg == "--interval" && hasValue) {
            if (!number() || n < 10 || n > 3600000)
                return usageError("--interval takes 10 to 3600000 milliseconds");
            o.intervalMs = static_cast<int>(n);
        } else if (arg == "--count" && hasValue) {
            if (!number() || n < 1 || n != std::floor(n))
                return usageError("--count takes a whole number from 1");
            o.count = static_cast<long>(n);
        } else if (arg == "--wait" && hasValue) {
            if (!number() || n < 0) return usageError("--wait takes a number of seconds");
            o.waitSeconds = n;
        } else if (arg == "--multi" && hasValue) {
            if (!number()) return usageError("--multi takes a number");
            o.scaling.multi = n;
        } else if (arg == "--offset" && hasValue) {
            if (!number() || n != std::floor(n) || n < -2147483648.0 || n > 2147483647.0)
                return usageError("--offset takes a whole number");
            o.scaling.offset = static_cast<std::int32_t>(n);
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return usageError("unknown option or missing value: " + arg);
        } else {
            o.names.push_back(arg);
        }
    }
    if (o.once) o.count = 1;
    if (o.waitSeconds < 0.0) o.waitSeconds = o.once ? 0.0 : 1e12;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (const int code = parseOptions(argc, argv, o); code != 0) return code < 0 ? 0 : code;
    std::vector<int> positions;
    std::string error;
    if (!monitor::selectElements(o.names, positions, error)) return usageError(error);

    tools::installStopHandler();
    ConsoleMessages messages;
    platform::setMessageBoxResponder(&messages);
    const bool redraw = !o.machine && !o.once && tools::stdoutIsAnsiTerminal();

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    SharedMemorySource source;
    long shown = 0;
    bool waitingSaid = false;
    while (!tools::stopRequested() && (o.count < 0 || shown < o.count)) {
        if (source.isAttached()) {
            // The block goes when the simulator ends; where the system lets the name be opened
            // while we still map it (Windows), this cannot be seen and the last values stay.
            platform::SharedBlockHandle probe = platform::openSharedBlock(kSharedBlockName);
            if (probe == nullptr) {
                source.detach();
                std::printf("%s%s is gone (the simulator ended)\n", o.machine ? "# " : "",
                            kSharedBlockName);
                std::fflush(stdout);
                if (o.untilGone) break;
                messages.forget();
                waitingSaid = false;
            } else {
                platform::closeSharedBlock(probe);
            }
        }
        if (!source.isAttached() && !source.attach()) {
            if (elapsed() >= o.waitSeconds) {
                std::fprintf(stderr, "glowbridge-monitor: %s is not there\n", kSharedBlockName);
                return 1;
            }
            if (!waitingSaid && !o.machine) {
                std::printf("waiting for %s (start the simulator or falcon-sim) ...\n",
                            kSharedBlockName);
                std::fflush(stdout);
            }
            waitingSaid = true;
            tools::sleepUnlessStopped(o.intervalMs);
            continue;
        }
        messages.forget();
        std::string text = o.machine ? monitor::formatMachine(source, positions, o.scaling)
                                     : monitor::formatTable(source, positions, o.scaling);
        ++shown;
        if (redraw) {
            char footer[96];
            std::snprintf(footer, sizeof footer, "\n%.1f s, refresh every %d ms; Ctrl-C ends\n",
                          elapsed(), o.intervalMs);
            text = "\x1b[H\x1b[2J" + text + footer;
        } else if (o.count != 1) {
            char header[64];
            std::snprintf(header, sizeof header, "%s--- snapshot %ld at %.1f s ---\n",
                          shown > 1 ? "\n" : "", shown, elapsed());
            text = (o.machine ? "" : header) + text + (o.machine ? "\n" : "");
        }
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
        if (o.count < 0 || shown < o.count) tools::sleepUnlessStopped(o.intervalMs);
    }
    source.detach();
    platform::setMessageBoxResponder(nullptr);
    return 0;
}
