// quarn-emulator: one emulated QUARN card, reached by the device library's emulator client over a
// Unix-domain socket (a named pipe on Windows). Prints the packet log, or a refreshing view of
// the card's state on a terminal.

#include "cockpit/definition_file.h"
#include "platform/emulator_transport.h"
#include "platform/message_box.h"
#include "tools/card_emulator/card.h"
#include "tools/card_emulator/labels.h"
#include "tools/card_emulator/transport_service.h"
#include "tools/card_emulator/view.h"
#include "tools/console/arguments.h"
#include "tools/console/console.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace gb::emu;
using namespace gb::platform::emulator;

const char usage[] =
    "usage: quarn-emulator --device <0-7> [options]\n"
    "  --address <where>     socket folder (Windows: pipe prefix); default: $QUARNIO_EMULATOR\n"
    "  --script <file>       answer every read from a script (\"dev <n>\" lines, hex answers)\n"
    "  --handshake-byte <hh> byte 2 of the open answer (00 or 5A are accepted)\n"
    "  --input <off>:<hex>   set input-state bytes from offset <off>\n"
    "  --event <hex>         queue one event item (repeatable)\n"
    "faults:\n"
    "  --silent              give no answers at all\n"
    "  --drop <n>            lose the next n answers\n"
    "  --wrong-codes         wrong answer codes in the open handshake and ISA exchanges\n"
    "  --slow <n>            ISA: n not-ready reads before each awaited answer\n"
    "  --garbage-events      report events always and answer with random bytes\n"
    "  --refuse-output       never take output (status bit 1 clear)\n"
    "  --output-busy         ISA: status asks for output, the pre-read finds the buffer busy\n"
    "  --fail-control        driver control requests fail\n"
    "output:\n"
    "  --view / --plain      refreshing state view / one line per packet (default: view on a\n"
    "                        terminal, plain otherwise)\n"
    "  --log <file>          also append every packet line to a file\n"
    "  --definitions <file>  name QProcs, Pigeon-hole bits and analog bytes by the bindings of a\n"
    "                        Glowbridge definition file (in packet lines and the view)\n"
    "  --once                exit when the first client closes the device\n"
    "  --seconds <n>         exit after n seconds (1 to 1073741824)\n"
    "  --version             the version\n"
    "commands on standard input while it runs:\n"
    "  event <hex> | input <off>:<hex> | fault <name> on|off | fault drop|slow <n> | reset | "
    "quit\n"
    "One emulator serves a device at a time: a second one for the same device is refused.\n";

// Lines typed on standard input, handed from the reader thread to the serving loop.
std::mutex commandLock;
std::deque<std::string> commandLines;

// Set by the "quit" command; Ctrl-C comes through the console's stop handler.
bool quitRequested = false;

bool parseHex(const std::string& text, std::vector<std::uint8_t>& bytes) {
    std::string compact;
    for (char c : text) {
        if (c != ' ' && c != ',') compact += c;
    }
    if (compact.empty() || compact.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < compact.size(); i += 2) {
        char* end = nullptr;
        std::string pair = compact.substr(i, 2);
        long v = std::strtol(pair.c_str(), &end, 16);
        if (*end != '\0') return false;
        bytes.push_back(static_cast<std::uint8_t>(v));
    }
    return true;
}

bool parseInt(const std::string& text, int low, int high, int& value) {
    std::int64_t v = 0;
    if (!gb::tools::parseWholeNumber(text, low, high, v)) return false;
    value = static_cast<int>(v);
    return true;
}

// Applies one command typed while the program runs; returns what to tell the user.
std::string runCommand(Card& card, const std::string& line) {
    std::istringstream in(line);
    std::string verb, what, value;
    in >> verb >> what >> value;
    std::vector<std::uint8_t> bytes;
    if (verb == "event") {
        std::string rest;
        std::getline(in, rest);
        if (!parseHex(what + value + rest, bytes)) return "event: give the item in hex";
        return card.injectEvent(bytes.data(), static_cast<int>(bytes.size()))
                   ? "event queued"
                   : "event: length does not match the code, or the queue is full";
    }
    if (verb == "input") {
        // The bytes may be written with blanks between them, as for "event".
        std::string rest;
        std::getline(in, rest);
        const std::string spec = what + " " + value + rest;
        std::size_t colon = spec.find(':');
        int offset = 0;
        if (colon == std::string::npos || !parseInt(spec.substr(0, colon), 0, 63, offset) ||
            !parseHex(spec.substr(colon + 1), bytes)) {
            return "input: give <offset>:<hex bytes>";
        }
        card.setInput(offset, bytes.data(), static_cast<int>(bytes.size()));
        return "input set";
    }
    if (verb == "fault") {
        Faults& f = card.faults();
        bool on = value == "on";
        if (what == "drop" || what == "slow") {
            int n = 0;
            if (!parseInt(value, 0, 1 << 30, n)) return "fault " + what + ": give a count";
            (what == "drop" ? f.dropAnswers : f.isaSlowReads) = n;
        } else if (value != "on" && value != "off") {
            return "fault: give on or off";
        } else if (what == "silent") {
            f.silent = on;
        } else if (what == "wrong-codes") {
            f.wrongCodes = on;
        } else if (what == "garbage-events") {
            f.garbageEvents = on;
        } else if (what == "refuse-output") {
            f.refuseOutput = on;
        } else if (what == "output-busy") {
            f.outputBusy = on;
        } else if (what == "fail-control") {
            f.failControl = on;
        } else {
            return "fault: unknown fault " + what;
        }
        return "faults: " + describeFaults(f);
    }
    if (verb == "reset") {
        card.resetState();
        return "card state cleared";
    }
    if (verb == "quit") {
        quitRequested = true;
        return "";
    }
    return verb.empty() ? "" : "commands: event, input, fault, reset, quit";
}

struct Options {
    int device = -1;
    std::string address;
    std::string script;
    std::string logFile;
    std::string definitions;
    int view = -1; // -1: decide by the terminal
    bool once = false;
    int seconds = 0;
};

// Messages quote what the user typed, so they go through tools::printable.
int fail(const std::string& message, int status = 2) {
    std::fprintf(stderr, "quarn-emulator: %s\n", gb::tools::printable(message).c_str());
    return status;
}

// The definition loader's messages go to standard error on every build: the emulator is a
// console program, and Windows would otherwise show them in boxes.
class BoxesToStandardError : public gb::platform::MessageBoxResponder {
public:
    BoxesToStandardError() { previous_ = gb::platform::setMessageBoxResponder(this); }
    ~BoxesToStandardError() override { gb::platform::setMessageBoxResponder(previous_); }
    BoxesToStandardError(const BoxesToStandardError&) = delete;
    BoxesToStandardError& operator=(const BoxesToStandardError&) = delete;

    int answer(gb::platform::WindowHandle, const char* text, const char* caption,
               unsigned style) override {
        std::fprintf(stderr, "[%s] %s\n", caption != nullptr ? caption : "",
                     text != nullptr ? text : "");
        std::fflush(stderr);
        return gb::platform::defaultButton(style);
    }

private:
    gb::platform::MessageBoxResponder* previous_ = nullptr;
};

// Reads the definition file with Glowbridge's own loader. A file Glowbridge would not start with
// (a fault, or no definition at all) is refused as a whole rather than labelled in part: labels
// from a file that stopped at a faulty line would leave later bindings silently unnamed.
// Returns 0, or the status to end with after saying why.
int loadLabels(const std::string& path, std::unique_ptr<DefinitionLabels>& labels) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return fail("--definitions " + path + " is a folder, not a definition file");
    }
    auto list = std::make_unique<gb::DefinitionList>();
    int result = 0;
    {
        BoxesToStandardError boxes;
        result = gb::parseDefinitionFile(*list, path.c_str());
    }
    if (result == -2) return fail("cannot read the definition file " + path);
    if (result == 0) return fail(path + " binds nothing; not started");
    if (result < 0) {
        return fail(path + ": the definition file has a fault (above), where Glowbridge would " +
                    "stop; not started");
    }
    labels = std::make_unique<DefinitionLabels>(*list);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (const char* env = std::getenv("QUARNIO_EMULATOR")) o.address = env;
    Faults faults;
    int handshakeByte = 0;
    std::vector<std::pair<int, std::vector<std::uint8_t>>> inputs;
    std::vector<std::vector<std::uint8_t>> events;

    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (a == "--help" || a == "-h") {
            std::fputs(usage, stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("quarn-emulator %s\n", gb::tools::toolsVersion());
            return 0;
        } else if (a == "--device" || a == "-d") {
            if (!(v = next()) || !parseInt(v, 0, 7, o.device)) return fail("--device takes 0-7");
        } else if (a == "--address") {
            if (!(v = next())) return fail("--address takes a folder or pipe prefix");
            o.address = v;
        } else if (a == "--script") {
            if (!(v = next())) return fail("--script takes a file");
            o.script = v;
        } else if (a == "--handshake-byte") {
            if (!(v = next()) || !parseInt(std::string("0x") + v, 0, 255, handshakeByte)) {
                return fail("--handshake-byte takes a hex byte");
            }
        } else if (a == "--input") {
            std::vector<std::uint8_t> bytes;
            int offset = 0;
            const char* colon = (v = next()) ? std::strchr(v, ':') : nullptr;
            if (!colon || !parseInt(std::string(v, colon), 0, 63, offset) ||
                !parseHex(colon + 1, bytes)) {
                return fail("--input takes <offset>:<hex bytes>");
            }
            inputs.emplace_back(offset, bytes);
        } else if (a == "--event") {
            std::vector<std::uint8_t> bytes;
            if (!(v = next()) || !parseHex(v, bytes)) return fail("--event takes hex bytes");
            events.push_back(bytes);
        } else if (a == "--silent") {
            faults.silent = true;
        } else if (a == "--drop") {
            if (!(v = next()) || !parseInt(v, 0, 1 << 30, faults.dropAnswers)) {
                return fail("--drop takes a count");
            }
        } else if (a == "--wrong-codes") {
            faults.wrongCodes = true;
        } else if (a == "--slow") {
            if (!(v = next()) || !parseInt(v, 0, 1 << 30, faults.isaSlowReads)) {
                return fail("--slow takes a count");
            }
        } else if (a == "--garbage-events") {
            faults.garbageEvents = true;
        } else if (a == "--refuse-output") {
            faults.refuseOutput = true;
        } else if (a == "--output-busy") {
            faults.outputBusy = true;
        } else if (a == "--fail-control") {
            faults.failControl = true;
        } else if (a == "--view") {
            o.view = 1;
        } else if (a == "--plain") {
            o.view = 0;
        } else if (a == "--log") {
            if (!(v = next())) return fail("--log takes a file");
            o.logFile = v;
        } else if (a == "--definitions") {
            if (!(v = next())) return fail("--definitions takes a definition file");
            o.definitions = v;
        } else if (a == "--once") {
            o.once = true;
        } else if (a == "--seconds") {
            if (!(v = next()) || !parseInt(v, 1, 1 << 30, o.seconds)) {
                return fail("--seconds takes a count");
            }
        } else {
            std::fputs(usage, stderr);
            return fail("unknown option " + a);
        }
    }
    if (o.device < 0) {
        std::fputs(usage, stderr);
        return fail("--device is required");
    }
    if (o.address.empty()) return fail("no address: give --address or set QUARNIO_EMULATOR");

    Card card(o.device);
    card.faults() = faults;
    card.setHandshakeByte(static_cast<std::uint8_t>(handshakeByte));
    for (auto& [offset, bytes] : inputs) {
        card.setInput(offset, bytes.data(), static_cast<int>(bytes.size()));
    }
    for (auto& e : events) {
        if (!card.injectEvent(e.data(), static_cast<int>(e.size()))) {
            return fail("--event " + hexBytes(e.data(), e.size()) +
                        ": length does not match the item code");
        }
    }
    if (!o.script.empty()) {
        std::error_code ec;
        if (std::filesystem::is_directory(o.script, ec))
            return fail(o.script + " is a folder, not a script");
        std::ifstream in(o.script, std::ios::binary);
        if (!in) return fail("cannot read script " + o.script);
        std::stringstream text;
        text << in.rdbuf();
        Script script;
        std::string error;
        if (!parseScript(text.str(), script, error)) return fail(o.script + ": " + error);
        // Without answers for this device the card would never answer at all.
        if (script.answers[o.device].empty())
            return fail(o.script + " has no answers for device " + std::to_string(o.device) +
                        " (no \"dev " + std::to_string(o.device) + "\" section)");
        card.setScript(script.answers[o.device]);
    }

    std::unique_ptr<DefinitionLabels> labels;
    if (!o.definitions.empty()) {
        if (int status = loadLabels(o.definitions, labels)) return status;
    }

    std::string name = endpointName(o.address, objectNameOf(o.device).c_str());
    Endpoint endpoint;
    std::string error;
    if (!endpoint.listen(name, error)) return fail(error, 1);

    std::FILE* logFile = nullptr;
    if (!o.logFile.empty()) {
        logFile = std::fopen(o.logFile.c_str(), "a");
        if (logFile == nullptr) return fail("cannot write log " + o.logFile);
    }
    bool view = o.view == 1 || (o.view < 0 && gb::tools::stdoutIsTerminal());
    if (view && !gb::tools::enableAnsiEscapes()) view = false;
    gb::tools::installStopHandler();

    std::string title = std::string(o.device == 0 ? "ISA" : "USB") + " card, device " +
                        std::to_string(o.device) + ", at " + gb::tools::printable(name);
    std::printf("quarn-emulator: %s, faults: %s\n", title.c_str(),
                describeFaults(card.faults()).c_str());
    if (labels) {
        std::printf("quarn-emulator: labels from %s (%zu bindings)\n", o.definitions.c_str(),
                    labels->size());
    }
    std::fflush(stdout);

    std::thread([] {
        std::string line;
        while (std::getline(std::cin, line)) {
            std::lock_guard<std::mutex> hold(commandLock);
            commandLines.push_back(line);
        }
    }).detach();

    std::uint8_t message[MaxMessage];
    std::uint8_t reply[MaxMessage];
    std::uint64_t printed = 0;
    double lastDraw = -1e9;
    bool connected = false;
    bool done = false;
    std::string lastAnswer;
    while (!done && !quitRequested && !gb::tools::stopRequested()) {
        std::size_t length = 0;
        Endpoint::Event event = endpoint.wait(100, message, sizeof message, length);
        switch (event) {
        case Endpoint::Event::Connected:
            connected = true;
            break;
        case Endpoint::Event::Request:
            if (length > 0) endpoint.reply(reply, serveRequest(card, message, length, reply));
            break;
        case Endpoint::Event::Disconnected:
            if (connected) card.closed();
            connected = false;
            done = o.once;
            break;
        case Endpoint::Event::Error:
            std::fprintf(stderr, "quarn-emulator: the endpoint failed\n");
            done = true;
            break;
        case Endpoint::Event::Timeout:
            break;
        }
        for (;;) {
            std::string line;
            {
                std::lock_guard<std::mutex> hold(commandLock);
                if (commandLines.empty()) break;
                line = commandLines.front();
                commandLines.pop_front();
            }
            const std::string answer = gb::tools::printable(runCommand(card, line));
            if (answer.empty()) continue;
            lastAnswer = answer;
            if (!view) {
                std::printf("quarn-emulator: %s\n", answer.c_str());
                std::fflush(stdout);
            }
            if (logFile) {
                std::fprintf(logFile, "# %s\n", answer.c_str());
                std::fflush(logFile);
            }
        }
        // New log lines go to the file and, without the view, to standard output.
        const PacketLog& log = card.log();
        std::uint64_t total = log.total();
        if (total > printed) {
            std::uint64_t missed = total - printed > log.size() ? total - printed - log.size() : 0;
            for (std::size_t i = log.size() - static_cast<std::size_t>(total - printed - missed);
                 i < log.size(); ++i) {
                std::string line = labelledLogEntry(log.at(i), labels.get());
                if (!view) std::printf("%s\n", line.c_str());
                if (logFile) std::fprintf(logFile, "%s\n", line.c_str());
            }
            printed = total;
            if (!view) std::fflush(stdout);
            if (logFile) std::fflush(logFile);
        }
        double now = log.elapsedMs();
        if (view && now - lastDraw >= 250) {
            lastDraw = now;
            std::string screen = renderCardState(
                card,
                title + (connected ? "  [client connected]" : "  [waiting for a client]") +
                    (lastAnswer.empty() ? "" : "\n> " + lastAnswer),
                12, labels.get());
            std::printf("\x1b[H\x1b[2J%s", screen.c_str());
            std::fflush(stdout);
        }
        if (o.seconds > 0 && now >= o.seconds * 1000.0) done = true;
    }
    if (view) std::printf("\n");
    std::printf("quarn-emulator: %llu packets, %llu batches, %llu QProcs\n",
                static_cast<unsigned long long>(card.log().total()),
                static_cast<unsigned long long>(card.batchCount()),
                static_cast<unsigned long long>(card.qprocCount()));
    if (logFile) std::fclose(logFile);
    return 0;
}
