#pragma once
// What a binding may name on the card, in one place: the definition loader refuses a line
// outside these ranges, and the editors offer and accept only what lies inside them.

#include <cstdint>

namespace gb {

// QProc numbers, both for "on" and "off".
constexpr std::int32_t kQpFirst = 0;
constexpr std::int32_t kQpLast = 255;

// Pigeon-holes and the byte index within one (a Pigeon-hole has four bytes).
constexpr std::int32_t kPhFirst = 0;
constexpr std::int32_t kPhLast = 255;
constexpr std::int32_t kPhByteFirst = 0;
constexpr std::int32_t kPhByteLast = 3;
constexpr std::int32_t kPhBytes = kPhByteLast + 1;
// The editors start their Pigeon-hole lists here: Pigeon-hole 0 can be bound in the file, but
// not chosen in a dialog.
constexpr std::int32_t kPhFirstOffered = 1;

// A Pigeon-hole byte's usage bits (bit n: byte n in use) when all four bytes are taken.
constexpr std::uint8_t kPhAllBytesUsed = (1u << kPhBytes) - 1;

// The analog editor's multiplier range, inclusive.
constexpr double kMultiplierMin = -99999.0;
constexpr double kMultiplierMax = 99999.0;

// Numbers are taken wide so that a value read from text is checked before it is narrowed.
constexpr bool isQpNumber(std::int64_t n) {
    return n >= kQpFirst && n <= kQpLast;
}
constexpr bool isPhNumber(std::int64_t n) {
    return n >= kPhFirst && n <= kPhLast;
}
constexpr bool isPhByte(std::int64_t n) {
    return n >= kPhByteFirst && n <= kPhByteLast;
}

} // namespace gb
