#pragma once
// Timed flight scripts for the stand-in simulator. One step a line:
//
//   # comment (also after a step)
//   t=0 Primary Data/KIAS=0
//   t=2.5 Caution Lights/MasterCaution=on
//   t=3..13 Primary Data/KIAS=0..350     value ramps linearly from t=3 s to t=13 s
//   t=20 end                             the flight's length (default: when the last step ends)
//
// Steps that name an element the chosen layout does not carry are skipped with a warning, so one
// script serves every layout.

#include "tools/simulator/assignment.h"
#include "tools/simulator/block_image.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gb::sim {

struct ScriptStep {
    double start = 0.0; // seconds into the flight
    double end = 0.0;   // equals start unless the step ramps
    Assignment assignment;
    int line = 0;
};

struct FlightScript {
    std::vector<ScriptStep> steps;   // by start time; steps with equal times keep the file's order
    double length = 0.0;             // seconds; a looping flight starts again here
    std::vector<std::string> errors; // "line 3: ..."; the script is unusable when not empty
    std::vector<std::string> warnings;
};

FlightScript parseFlightScript(std::string_view text, std::int32_t layout);

// Plays a script into a block. Each step is written from its start time on: a plain step once,
// a ramp at every advance until its end, when it writes its final value.
class FlightPlayer {
public:
    explicit FlightPlayer(const FlightScript& script);

    // Writes what is due at `seconds` into the flight. Appends the indexes of the steps that
    // began with this call to `started` when given.
    void advance(double seconds, BlockImage& block, std::vector<int>* started = nullptr);
    // From the top again: every step is due once more.
    void restart();
    bool finished() const { return completed_ == script_.steps.size(); }

private:
    enum class State : std::uint8_t {
        Pending,
        Ramping,
        Done
    };
    const FlightScript& script_;
    std::vector<State> states_;
    std::size_t completed_ = 0;
};

} // namespace gb::sim
