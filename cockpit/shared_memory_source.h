#pragma once
// The program's only view of the simulator's data: a read-only attachment to the shared block
// "FalconSharedMemoryArea", with the element table bound to it.

#include "platform/shared_block.h"

#include <cstddef>
#include <cstdint>

namespace gb {

// Truncates toward zero; values outside the signed 32-bit range and NaN give INT32_MIN
// (0x80000000), as the x86 conversion instruction does, so both builds agree.
std::int32_t truncateToInt32(double value);

// Whether speed light `selector` (4 TooLow .. 9 VeryHigh) is lit at the given KIAS: bands of
// 50 knots; a speed below -20 knots wraps around and reads as very high.
bool speedLightOn(std::uint32_t selector, double kias);

// Only one source may be attached at a time: it binds the one static ElementTable.
class SharedMemorySource {
public:
    SharedMemorySource() = default;
    virtual ~SharedMemorySource();
    SharedMemorySource(const SharedMemorySource&) = delete;
    SharedMemorySource& operator=(const SharedMemorySource&) = delete;

    // Opens and maps the block, choosing the layout by the largest view that maps, and binds the
    // element table. True when attached, also when it already was (the layout is then kept).
    // A failure shows a message box (no owner) and leaves the source detached.
    bool attach();
    // Unmaps and closes; nothing when detached. The records' `live` pointers are left as they are.
    void detach();
    bool isAttached() const { return mapping_ != nullptr; }

    // Read operations for element index 0..165: false / 0 / 0.0 while detached, for an index out
    // of range, and for elements the attached layout does not carry.
    bool readFlag(std::int32_t index) const;
    // The value times `multi`, truncated toward zero, plus `offset` (wrapping at 32 bits); for
    // the digit elements one decimal digit of the negated altitude or speed.
    std::int32_t readScaled(std::int32_t index, double multi, std::int32_t offset) const;
    double readValue(std::int32_t index) const;

    // 0 while detached, else 100, 110 or 200.
    std::int32_t layoutVersion() const { return layoutVersion_; }
    // The attached block (null while detached) and its mapped size.
    const std::uint8_t* data() const { return data_; }
    std::size_t mappedSize() const;

private:
    std::int32_t layoutVersion_ = 0;
    const std::uint8_t* data_ = nullptr;
    platform::SharedBlockHandle mapping_ = nullptr;
    const void* view_ = nullptr;
};

} // namespace gb
