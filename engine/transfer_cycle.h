#pragma once
// One transfer cycle: read every defined element, compare it with what was processed last, and
// drive the card. QP flags call their QProc at once; PH flags and analog values change an output
// image of the card's Pigeon-holes, whose touched entries are sent whole at the end of the cycle.
// No timers and no window here: the frame's READ_TIMER tick calls readTimerTick (or
// runTransferCycle) with its members.

#include "cockpit/definition_list.h"
#include "cockpit/shared_memory_source.h"
#include "engine/debug_log.h"
#include "engine/device_binding.h"

#include <array>
#include <cstdint>

namespace gb {

struct PigeonHoleSlot {
    std::uint8_t pending = 0; // 1: to be sent at the end of the cycle
    std::uint8_t bytes[4] = {};
};

constexpr int kPigeonHoleCount = 256;

// The output image, indexed by Pigeon-hole number. It starts zero and is never cleared, so bits
// and bytes of different definitions that share a Pigeon-hole are combined here.
using PigeonHoleImage = std::array<PigeonHoleSlot, kPigeonHoleCount>;

// The low `bits` bits of `value` as "0"/"1", most significant first; "" for bits outside 0-32.
// The text lives in one shared buffer that the next call overwrites.
const char* bitString(std::uint32_t value, int bits);

// Where and how much the cycle logs. Without a log nothing is written, not even for traced
// definitions.
struct TransferLogging {
    bool debugMode = false;     // log the changes of every definition, not only traced ones
    const char* debugFile = ""; // the "DebugFile" setting
    DebugLog* log = nullptr;    // usually &DebugLog::process()
};

// How the cycle treats what it reads: the "AnalogHoldBack" setting.
struct TransferOptions {
    // An analog value reaches its byte only when two consecutive cycles read the same number
    // (a filter for values that jitter). Off: written in the cycle that reads it.
    bool analogHoldBack = true;
};

// One cycle over `definitions` (list order), sending through `binding`. `source` must be
// attached; a detached source reads every flag as off and every value as 0. Allocates nothing
// unless a line is logged.
//
// - The card's 64 input bytes are fetched first (nothing uses them yet).
// - A flag is processed only when its (inverted, when `invert`) state differs from `lastValue`.
//   A QP flag calls qpOn or qpOff; a PH flag sets or clears `bitMask` in its byte and marks the
//   Pigeon-hole pending.
// - An analog value marks its Pigeon-hole pending on every cycle, but its byte takes the low 8
//   bits of the scaled value only when the value equals the previous cycle's: a new value is
//   held back one cycle, and one that changes on every cycle is never written. Without
//   options.analogHoldBack the byte takes every value in the cycle that reads it.
// - Then every pending Pigeon-hole from phLow to phHigh is sent with its four bytes, in
//   ascending order, and its pending mark cleared whether or not the send was accepted.
// A Pigeon-hole number outside 0-255 or a byte index outside 0-3 (the loader and the dialogs
// never make one) is skipped rather than written outside the image.
void runTransferCycle(const SharedMemorySource& source, DefinitionList& definitions,
                      PigeonHoleImage& phSlots, DeviceBinding& binding,
                      const TransferLogging& logging = {}, const TransferOptions& options = {});

// Turns every bound output off, for a detach with the "SafeOutputs" setting; the card must still
// be open for it to reach the card. A QP flag whose lastValue is on calls its qpOff (a negative
// qpOff sends nothing); a PH flag clears its bitMask; an analog value's byte becomes 0. Then each
// Pigeon-hole from phLow to phHigh that a PH flag or analog value uses is sent once, as the
// cycle's send pass does. lastValue becomes 0 for every flag and analog value: it holds the
// output's state (for an inverted flag, not the element's), so the next cycle after an attach
// sends again what is on, inverted flags included. Flags that were on are logged as the cycle logs
// a change to off. Returns the sends the binding accepted. Allocates nothing unless a line is
// logged.
int turnOutputsOff(DefinitionList& definitions, PigeonHoleImage& phSlots, DeviceBinding& binding,
                   const TransferLogging& logging = {});

// The line a READ_TIMER tick writes when it arrives while a cycle is still running; written
// whether or not debug mode is on.
bool logReadCheckTooSlow(DebugLog& log, const char* debugFile);

enum class ReadTick {
    NotAttached, // nothing done
    Ran,         // one cycle ran
    Dropped,     // a cycle was running already: "Read-Check too slow" logged
};

// The READ_TIMER tick as the frame runs it: only while attached, guarded by `inCycle` against
// re-entry (a message box or other message pumping inside a cycle). A dropped tick is logged to
// logging.log (or the process's log when that is null).
ReadTick readTimerTick(bool& inCycle, const SharedMemorySource& source, DefinitionList& definitions,
                       PigeonHoleImage& phSlots, DeviceBinding& binding,
                       const TransferLogging& logging, const TransferOptions& options = {});

} // namespace gb
