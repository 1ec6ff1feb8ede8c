// glowbridge-monitor: shows cockpit elements exactly as Glowbridge reads them, through the
// program's own SharedMemorySource, once or live.

#include "cockpit/element_table.h"
#include "cockpit/shared_memory_source.h"
#include "cockpit/text_utils.h"
#include "platform/file_attributes.h"
#include "platform/message_box.h"
#include "platform/shared_block.h"
#include "tools/console/arguments.h"
#include "tools/console/console.h"
#include "tools/monitor/monitor_view.h"
#include "tools/monitor/recorder.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
  --interval MS   live refresh every MS milliseconds: 10 to 3600000 (default 500; 100 with
                  --record, as often as Glowbridge reads)
  --count N       end after N snapshots: 1 to 2147483647
  --wait S        wait up to S seconds for the block to appear: 0 to 1000000000 (default:
                  live waits until Ctrl-C, --once does not wait)
  --multi X       multiplier of the scaled column (default 1), read exactly as a definition
                  reads its Multi (so "inf" reads as 0, as it would there)
  --offset N      added after scaling: a whole number, -2147483648 to 2147483647 (default 0)
  --until-gone    end when the block goes away: removed, replaced by a restarted simulator,
                  or left behind by a simulator that was killed
  --record FILE   also write every change of the elements shown, with its time, as a
                  falcon-sim flight script: `falcon-sim --play FILE` replays the session.
                  Values are written exactly as read; gear, speed-light and digit elements
                  through what they follow (gear positions, handle, KIAS, altitude). The file
                  is written as the session goes; an existing FILE is overwritten
  --machine       for scripts: "# layout L size B", then one element a line, tab-separated:
                  index, group, element, flag state (On/Off), value, scaled value
  --version       the version
  --help          this text

A block whose simulator was killed is not shown: the monitor waits for a new one. Where a
restarted simulator publishes a new block under the name, the monitor says so and moves to it.
)";

// The source reports attach failures in a message box; a console tool prints them instead, and
// only once while it keeps retrying.
class ConsoleMessages : public platform::MessageBoxResponder {
public:
    int answer(platform::WindowHandle, const char* text, const char* caption,
               unsigned style) override {
        const std::string message = std::string(caption) + ": " + text;
        if (message != last_)
            std::fprintf(stderr, "glowbridge-monitor: %s\n", tools::printable(message).c_str());
        last_ = message;
        return platform::defaultButton(style);
    }
    void forget() { last_.clear(); }

private:
    std::string last_;
};

// The --record file: opened before the block is looked for, so a bad name is refused at once,
// and flushed at every snapshot, so a long session never waits in memory and a killed monitor
// leaves every snapshot up to the last.
class RecordingFile {
public:
    ~RecordingFile() { close(); }
    bool open(const std::string& path) {
        path_ = path;
        if (platform::fileAttributes(path.c_str()).directory) {
            std::fprintf(stderr, "glowbridge-monitor: cannot record to %s: it is a folder\n",
                         path.c_str());
            return false;
        }
        file_ = std::fopen(path.c_str(), "wb");
        if (file_ == nullptr) {
            std::fprintf(stderr, "glowbridge-monitor: cannot record to %s: %s\n", path.c_str(),
                         std::strerror(errno));
            return false;
        }
        return true;
    }
    bool isOpen() const { return file_ != nullptr; }
    // False, once said, when the file does not take the text (a full disk, say).
    bool write(const std::string& text) {
        if (file_ == nullptr) return false;
        if (std::fwrite(text.data(), 1, text.size(), file_) == text.size() &&
            std::fflush(file_) == 0)
            return true;
        std::fprintf(stderr, "glowbridge-monitor: cannot write the recording %s: %s\n",
                     path_.c_str(), std::strerror(errno));
        std::fclose(file_);
        file_ = nullptr;
        return false;
    }
    bool close() {
        if (file_ == nullptr) return true;
        const bool ok = std::fclose(file_) == 0;
        file_ = nullptr;
        return ok;
    }

private:
    std::string path_;
    std::FILE* file_ = nullptr;
};

int usageError(const std::string& message) {
    std::fprintf(stderr, "glowbridge-monitor: %s\n(glowbridge-monitor --help shows the usage)\n",
                 tools::printable(message).c_str());
    return 2;
}

std::string refusal(const char* option, const char* range, const char* value) {
    return std::string(option) + " takes " + range + ", not \"" + value + "\"";
}

// What happened to the block the monitor showed, for its "# ..." line; null when still live.
const char* whatBecameOf(platform::SharedBlockState state) {
    switch (state) {
    case platform::SharedBlockState::Removed:
        return "is gone (the simulator ended)";
    case platform::SharedBlockState::OwnerGone:
        return "is left over: the simulator that held it is gone";
    case platform::SharedBlockState::Replaced:
        return "now names another block (a simulator was restarted)";
    case platform::SharedBlockState::Shrunk:
        return "shrank under the monitor; its values are no longer there";
    case platform::SharedBlockState::Live:
        break;
    }
    return nullptr;
}

struct Options {
    bool once = false;
    int intervalMs = 500;
    long count = -1;
    double waitSeconds = -1.0;
    bool machine = false;
    bool untilGone = false;
    bool intervalGiven = false;
    std::string recordPath;
    monitor::Scaling scaling;
    std::vector<std::string> names;
};

int parseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        std::int64_t whole = 0;
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            std::fputs(kUsage, stdout);
            return -1;
        } else if (arg == "--version") {
            std::printf("glowbridge-monitor %s\n", tools::toolsVersion());
            return -1;
        } else if (arg == "--once") {
            o.once = true;
        } else if (arg == "--until-gone") {
            o.untilGone = true;
        } else if (arg == "--machine") {
            o.machine = true;
        } else if (arg == "--interval" && hasValue) {
            if (!tools::parseWholeNumber(argv[++i], 10, 3600000, whole))
                return usageError(refusal("--interval", "10 to 3600000 milliseconds", argv[i]));
            o.intervalMs = static_cast<int>(whole);
            o.intervalGiven = true;
        } else if (arg == "--record" && hasValue) {
            o.recordPath = argv[++i];
            if (o.recordPath.empty()) return usageError("--record takes a file name");
        } else if (arg == "--count" && hasValue) {
            if (!tools::parseWholeNumber(argv[++i], 1, 2147483647, whole))
                return usageError(
                    refusal("--count", "a whole number from 1 to 2147483647", argv[i]));
            o.count = static_cast<long>(whole);
        } else if (arg == "--wait" && hasValue) {
            if (!tools::parseRealNumber(argv[++i], 0.0, 1e9, o.waitSeconds))
                return usageError(refusal("--wait", "0 to 1000000000 seconds", argv[i]));
        } else if (arg == "--multi" && hasValue) {
            // The scaled column must be what Glowbridge computes for a definition with this
            // Multi, so the text is read by the definition file's own reader, quirks and all.
            const char* text = argv[++i];
            o.scaling.multi = parseDecimalDouble(text);
            double plain = 0.0;
            if (!tools::parseRealNumber(text, -1e308, 1e308, plain) || plain != o.scaling.multi) {
                char note[64];
                std::snprintf(note, sizeof note, "%.17g", o.scaling.multi);
                std::fprintf(stderr,
                             "glowbridge-monitor: --multi \"%s\" reads as %s, as a definition's "
                             "Multi would\n",
                             tools::printable(text).c_str(), note);
            }
        } else if (arg == "--offset" && hasValue) {
            if (!tools::parseWholeNumber(argv[++i], -2147483648LL, 2147483647, whole))
                return usageError(refusal("--offset",
                                          "a whole number from -2147483648 to "
                                          "2147483647",
                                          argv[i]));
            o.scaling.offset = static_cast<std::int32_t>(whole);
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return usageError("unknown option or missing value: " + arg);
        } else {
            o.names.push_back(arg);
        }
    }
    if (o.once) o.count = 1;
    if (!o.recordPath.empty() && !o.intervalGiven) o.intervalMs = 100;
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

    RecordingFile recording;
    if (!o.recordPath.empty() && !recording.open(o.recordPath)) return 1;
    monitor::Recorder recorder;
    bool recordingStarted = false; // the first snapshot is the recording's t=0
    bool recordWatch = true;       // (again) after an attach: every field at the next snapshot
    double recordStart = 0.0;
    std::string recordText;
    bool recordFailed = false;
    auto record = [&](const std::string& text) {
        if (!recording.isOpen() || recordFailed) return;
        recordFailed = !recording.write(text);
    };

    tools::installStopHandler();
    ConsoleMessages messages;
    platform::setMessageBoxResponder(&messages);
    const bool redraw = !o.machine && !o.once && tools::stdoutIsAnsiTerminal();

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    SharedMemorySource source;
    // The shown block, opened beside the source's own handle, to ask what became of it.
    platform::SharedBlockHandle shownBlock = nullptr;
    long shown = 0;
    bool waitingSaid = false;
    bool leftOverSaid = false;
    while (!tools::stopRequested() && (o.count < 0 || shown < o.count) && !recordFailed) {
        if (source.isAttached()) {
            const platform::SharedBlockState state =
                platform::sharedBlockState(shownBlock, source.mappedSize());
            if (const char* became = whatBecameOf(state)) {
                source.detach();
                platform::closeSharedBlock(shownBlock);
                shownBlock = nullptr;
                std::printf("%s%s %s\n", o.machine ? "# " : "", kSharedBlockName, became);
                std::fflush(stdout);
                if (recordingStarted) {
                    record("# " + std::string(kSharedBlockName) + " gone at " +
                           monitor::scriptTime(elapsed() - recordStart) + "\n");
                }
                recordWatch = true;
                if (o.untilGone) break;
                messages.forget();
                waitingSaid = false;
                leftOverSaid = state == platform::SharedBlockState::OwnerGone;
            }
        }
        if (!source.isAttached()) {
            shownBlock = platform::openSharedBlock(kSharedBlockName);
            const bool leftOver =
                shownBlock != nullptr &&
                platform::sharedBlockState(shownBlock, 0) == platform::SharedBlockState::OwnerGone;
            if (leftOver || !source.attach()) {
                platform::closeSharedBlock(shownBlock);
                shownBlock = nullptr;
                if (elapsed() >= o.waitSeconds) {
                    std::fprintf(stderr, "glowbridge-monitor: %s %s\n", kSharedBlockName,
                                 leftOver ? "is left over: the simulator that held it is gone"
                                          : "is not there");
                    return 1;
                }
                if (leftOver && !leftOverSaid) {
                    std::printf("%s%s is left over: the simulator that held it is gone; waiting "
                                "for a new one\n",
                                o.machine ? "# " : "", kSharedBlockName);
                    std::fflush(stdout);
                }
                leftOverSaid = leftOverSaid || leftOver;
                if (!waitingSaid && !o.machine && !leftOver) {
                    std::printf("waiting for %s (start the simulator or falcon-sim) ...\n",
                                kSharedBlockName);
                    std::fflush(stdout);
                }
                waitingSaid = waitingSaid || !leftOver;
                tools::sleepUnlessStopped(o.intervalMs);
                continue;
            }
            leftOverSaid = false;
            if (shownBlock == nullptr) shownBlock = platform::openSharedBlock(kSharedBlockName);
        }
        messages.forget();
        if (recording.isOpen()) {
            const double now = elapsed();
            recordText.clear();
            if (!recordingStarted) {
                recordStart = now;
                recorder.watch(positions, source.layoutVersion());
                recordText = recorder.header();
                recordingStarted = true;
            } else if (recordWatch) {
                // Back after the simulator ended: the whole state again, for the layout it now has.
                recordText = "# " + std::string(kSharedBlockName) + " back, layout " +
                             std::to_string(source.layoutVersion()) + "\n";
                if (source.layoutVersion() != recorder.layout())
                    recorder.watch(positions, source.layoutVersion());
                else
                    recorder.forget();
            }
            recordWatch = false;
            recorder.snapshot(source.data(), now - recordStart, recordText);
            if (!recordText.empty()) record(recordText);
        }
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
    platform::closeSharedBlock(shownBlock);
    platform::setMessageBoxResponder(nullptr);
    if (recordingStarted) record(recorder.endLine(elapsed() - recordStart));
    if (recording.isOpen() && !recording.close() && !recordFailed) {
        std::fprintf(stderr, "glowbridge-monitor: cannot write the recording %s\n",
                     o.recordPath.c_str());
        recordFailed = true;
    }
    return recordFailed ? 1 : 0;
}
