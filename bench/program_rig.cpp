#include "bench/program_rig.h"

#include "platform/emulator_transport.h"
#include "platform/process_list.h"
#include "tools/card_emulator/transport_service.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace gb::bench {

namespace {

using platform::emulator::Endpoint;
using platform::emulator::MaxMessage;

constexpr std::size_t kRecentLines = 20;

} // namespace

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

ProgramRig::ProgramRig() : endpoint_(std::make_unique<Endpoint>()) {}

ProgramRig::~ProgramRig() {
    stop();
}

bool ProgramRig::start(const std::string& settings, std::string& error) {
    if (folder_.path().empty()) {
        error = "cannot make a scratch folder";
        return false;
    }
    const std::string address = test::emulatorAddress(folder_);
    if (!endpoint_->listen(
            platform::emulator::endpointName(address, emu::objectNameOf(card_.device()).c_str()),
            error))
        return false;
    const std::string ini = folder_.file("Glowbridge.ini");
    {
        std::ofstream out(ini, std::ios::binary);
        out << settings;
        if (!out) {
            error = "cannot write " + ini;
            return false;
        }
    }
    // The child takes both from this process's environment.
    setenv("QUARNIO_EMULATOR", address.c_str(), 1);
    setenv("GLOWBRIDGE_REGISTRY_DIR", folder_.file("registry").c_str(), 1);
    if (!glowbridge_.start(GB_GLOWBRIDGE, {"/ini=" + ini})) {
        error = std::string("cannot start ") + GB_GLOWBRIDGE;
        return false;
    }
    started_ = true;
    return true;
}

bool ProgramRig::serve(Clock::time_point until,
                       const std::function<bool(Clock::time_point)>& onWrite) {
    std::uint8_t message[MaxMessage];
    std::uint8_t reply[MaxMessage];
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (now >= until || failed_) return false;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now).count();
        std::size_t length = 0;
        const Endpoint::Event event =
            endpoint_->wait(static_cast<int>(left), message, sizeof message, length);
        const Clock::time_point arrived = Clock::now();
        switch (event) {
        case Endpoint::Event::Request:
            if (length == 0) break;
            endpoint_->reply(reply, emu::serveRequest(card_, message, length, reply));
            if (message[0] == 'W' && onWrite && onWrite(arrived)) return true;
            break;
        case Endpoint::Event::Connected:
            connected_ = true;
            break;
        case Endpoint::Event::Disconnected:
            if (connected_) card_.closed();
            connected_ = false;
            break;
        case Endpoint::Event::Error:
            failed_ = true;
            return false;
        case Endpoint::Event::Timeout:
            break;
        }
    }
}

bool ProgramRig::serveUntil(const std::function<bool()>& condition, int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (condition()) return true;
    while (Clock::now() < deadline && !failed_) {
        serve(std::min(deadline, Clock::now() + std::chrono::milliseconds(200)),
              [&](Clock::time_point) { return condition(); });
        if (condition()) return true;
        drainOutput();
    }
    return condition();
}

void ProgramRig::drainOutput() {
    std::string line;
    while (started_ && glowbridge_.readLine(line, 1)) {
        recent_.push_back(line);
        if (recent_.size() > kRecentLines) recent_.erase(recent_.begin());
    }
}

std::string ProgramRig::recentOutput() const {
    std::string text;
    for (const std::string& line : recent_)
        text += "  " + line + "\n";
    return text;
}

int ProgramRig::stop() {
    if (!started_) return -1;
    glowbridge_.interrupt();
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(5);
    int code = -1;
    while ((code = glowbridge_.wait(0)) < 0 && Clock::now() < deadline) {
        serve(Clock::now() + std::chrono::milliseconds(20));
        drainOutput();
    }
    if (code < 0) glowbridge_.kill();
    started_ = false;
    return code;
}

std::string ownProcessName(const char* argv0) {
    std::string name = argv0 != nullptr ? argv0 : "";
    const std::size_t slash = name.rfind('/');
    if (slash != std::string::npos) name.erase(0, slash + 1);
    return !name.empty() && platform::isProcessRunning(name.c_str()) ? name : std::string();
}

double processCpuSeconds(long long processId) {
    std::ifstream in("/proc/" + std::to_string(processId) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) return -1;
    // "pid (comm) state ppid ...": utime and stime are fields 14 and 15, counted from 1.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    unsigned long long utime = 0;
    unsigned long long stime = 0;
    for (int n = 3; n <= 15 && fields >> field; ++n) {
        if (n == 14) utime = std::strtoull(field.c_str(), nullptr, 10);
        if (n == 15) stime = std::strtoull(field.c_str(), nullptr, 10);
    }
    if (!fields) return -1;
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string loadAverageText() {
    double load[3] = {0, 0, 0};
    if (getloadavg(load, 3) != 3) return "unknown";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", load[0], load[1], load[2]);
    return text;
}

double loadAverage1() {
    double load = 0;
    return getloadavg(&load, 1) == 1 ? load : -1;
}

Percentiles percentilesOf(std::vector<double> samples) {
    Percentiles p;
    p.count = samples.size();
    if (samples.empty()) return p;
    std::sort(samples.begin(), samples.end());
    auto rank = [&](double q) {
        const auto r = static_cast<std::size_t>(std::ceil(q * static_cast<double>(p.count)));
        return samples[std::max<std::size_t>(r, 1) - 1];
    };
    p.p50 = rank(0.50);
    p.p99 = rank(0.99);
    p.max = samples.back();
    double sum = 0;
    for (double s : samples)
        sum += s;
    p.mean = sum / static_cast<double>(p.count);
    return p;
}

std::string withSetting(const std::string& text, const std::string& key, const std::string& value) {
    std::string out;
    bool found = false;
    std::size_t settingsEnd = std::string::npos;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(pos, end - pos);
        if (line.compare(0, key.size() + 1, key + "=") == 0) {
            const bool crlf = line.size() >= 2 && line[line.size() - 2] == '\r';
            line = key + "=" + value + (crlf ? "\r\n" : "\n");
            found = true;
        }
        out += line;
        if (line.compare(0, 10, "[Settings]") == 0) settingsEnd = out.size();
        pos = end;
    }
    if (found) return out;
    const std::string entry = key + "=" + value + "\n";
    if (settingsEnd == std::string::npos) return "[Settings]\n" + entry + out;
    return out.insert(settingsEnd, entry);
}

bool readWholeFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
}

} // namespace gb::bench
