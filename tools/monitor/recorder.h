#pragma once
// Recording a session in the stand-in simulator's flight-script form, so that
// `falcon-sim --play FILE` writes the same block states again. Each watched element is recorded
// through the block field it is read from: flags as on/off, values exactly as the block holds
// them, and the computed elements through what they follow (gear positions, the gear handle,
// KIAS, altitude), by the names the script sets those with. A field that several watched
// elements share is recorded once.

#include <cstdint>
#include <string>
#include <vector>

namespace gb::monitor {

enum class FieldKind : std::uint8_t {
    Bits,         // on/off: the word at `offset` AND `mask`
    Float,        // a 32-bit float, written so that it reads back bit for bit (NaN: its sign)
    GearPosition, // a float that "1" would not give back (a script reads "1" as on)
    Int,          // a signed 32-bit integer
};

struct RecordedField {
    FieldKind kind = FieldKind::Float;
    std::uint32_t offset = 0;
    std::uint32_t mask = 0;
    std::string label; // "Group/Element", as a script names it
};

// The fields that show the elements at catalogue `positions` in `layout`; elements the layout
// does not carry and absent ones need none (they read off / 0 whatever is written).
std::vector<RecordedField> recordedFields(const std::vector<int>& positions, std::int32_t layout);

// "t=2.5", "t=0.125": seconds to the millisecond, without trailing zeros.
std::string scriptTime(double seconds);

class Recorder {
public:
    // Starts over for `layout`: the next snapshot writes every field.
    void watch(const std::vector<int>& positions, std::int32_t layout);
    // Every field again at the next snapshot (after the block came back).
    void forget() { primed_ = false; }

    // Appends "t=<seconds> <label>=<value>" lines to `out` for each field that differs from the
    // previous snapshot (all of them on the first); `block` is the attached view, at least the
    // layout's size. Returns the number of lines. Allocates only when `out` must grow.
    std::size_t snapshot(const std::uint8_t* block, double seconds, std::string& out);

    // The first lines of a recording: what it is and how to play it.
    std::string header() const;
    // "t=<seconds> end": the flight lasts until then, not less than the last change.
    std::string endLine(double seconds) const;

    const std::vector<RecordedField>& fields() const { return fields_; }
    std::int32_t layout() const { return layout_; }

private:
    std::vector<RecordedField> fields_;
    std::vector<std::uint32_t> last_; // raw field values, or the masked bits
    std::int32_t layout_ = 0;
    bool primed_ = false;
    double lastChange_ = 0.0;
};

} // namespace gb::monitor
