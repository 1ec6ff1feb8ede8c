#include "tools/simulator/flight_script.h"

#include "platform/ascii.h"

#include <algorithm>
#include <cstdlib>

namespace gb::sim {

namespace {

bool parseSeconds(std::string_view text, double& out) {
    text = trim(text);
    if (text.empty()) return false;
    const std::string s(text);
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return *end == '\0' && out >= 0.0 && out < 1e7; // also refuses NaN
}

std::string at(int line, const std::string& message) {
    return "line " + std::to_string(line) + ": " + message;
}

} // namespace

FlightScript parseFlightScript(std::string_view text, std::int32_t layout) {
    FlightScript script;
    double endDirective = -1.0;
    int endLine = 0;
    int lineNumber = 0;
    // Editors on Windows may start a UTF-8 file with a byte-order mark.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        ++lineNumber;
        const std::size_t hash = line.find('#');
        if (hash != std::string_view::npos) line = line.substr(0, hash);
        line = trim(line);
        if (line.empty()) continue;

        const std::size_t space = line.find_first_of(" \t");
        const std::string_view timeText = line.substr(0, space);
        const std::string_view rest =
            space == std::string_view::npos ? std::string_view() : trim(line.substr(space));
        if (timeText.size() < 2 || !ascii::equalIgnoringCase(timeText.substr(0, 2), "t=")) {
            script.errors.push_back(at(lineNumber, "expected t=<seconds> first, e.g. \"t=2.5 "
                                                   "Caution Lights/MasterCaution=on\""));
            continue;
        }
        ScriptStep step;
        step.line = lineNumber;
        std::string_view startText = timeText.substr(2);
        std::string_view endText = startText;
        const std::size_t dots = startText.find("..");
        const bool span = dots != std::string_view::npos;
        if (span) {
            endText = startText.substr(dots + 2);
            startText = startText.substr(0, dots);
        }
        if (!parseSeconds(startText, step.start) || !parseSeconds(endText, step.end) ||
            step.end < step.start) {
            script.errors.push_back(
                at(lineNumber, "bad time \"" + std::string(timeText) +
                                   "\" (seconds from 0, or a span t=from..to with to >= from)"));
            continue;
        }
        if (rest.empty()) {
            script.errors.push_back(at(lineNumber, "nothing to do after the time"));
            continue;
        }
        if (ascii::equalIgnoringCase(rest, "end")) {
            if (span) {
                script.errors.push_back(at(lineNumber, "the end is a time, not a span"));
                continue;
            }
            endDirective = step.start;
            endLine = lineNumber;
            continue;
        }
        ParseResult parsed = parseAssignment(rest, layout, true);
        if (parsed.status == ParseStatus::NotInLayout) {
            script.warnings.push_back(at(lineNumber, parsed.message + "; skipped"));
            continue;
        }
        if (parsed.status != ParseStatus::Ok) {
            script.errors.push_back(at(lineNumber, parsed.message));
            continue;
        }
        if (span != parsed.assignment.ramp) {
            script.errors.push_back(at(lineNumber, span ? "a time span needs a value ramp from..to"
                                                        : "a value ramp needs a time span "
                                                          "t=from..to"));
            continue;
        }
        step.assignment = std::move(parsed.assignment);
        script.steps.push_back(std::move(step));
    }

    std::stable_sort(script.steps.begin(), script.steps.end(),
                     [](const ScriptStep& a, const ScriptStep& b) { return a.start < b.start; });
    double lastEnd = 0.0;
    for (const ScriptStep& step : script.steps)
        lastEnd = std::max(lastEnd, step.end);
    if (endDirective >= 0.0) {
        if (lastEnd > endDirective)
            script.errors.push_back(at(endLine, "the flight ends before its last step does"));
        script.length = endDirective;
    } else {
        script.length = lastEnd;
    }
    if (script.steps.empty() && script.errors.empty()) script.errors.push_back("no steps");
    return script;
}

FlightPlayer::FlightPlayer(const FlightScript& script)
    : script_(script), states_(script.steps.size(), State::Pending) {}

void FlightPlayer::restart() {
    std::fill(states_.begin(), states_.end(), State::Pending);
    completed_ = 0;
}

void FlightPlayer::advance(double seconds, BlockImage& block, std::vector<int>* started) {
    for (std::size_t i = 0; i < script_.steps.size(); ++i) {
        const ScriptStep& step = script_.steps[i];
        if (step.start > seconds) break; // sorted by start
        if (states_[i] == State::Done) continue;
        if (states_[i] == State::Pending && started != nullptr)
            started->push_back(static_cast<int>(i));
        if (step.assignment.ramp && seconds < step.end) {
            applyAssignment(step.assignment, block,
                            (seconds - step.start) / (step.end - step.start));
            states_[i] = State::Ramping;
        } else {
            applyAssignment(step.assignment, block, 1.0);
            states_[i] = State::Done;
            ++completed_;
        }
    }
}

} // namespace gb::sim
