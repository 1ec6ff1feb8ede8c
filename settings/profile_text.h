#pragma once
// Small text conversions of the profile store, the same on every build (32-bit numbers throughout).

#include "platform/ascii.h"

#include <cstddef>
#include <cstdint>

namespace gb::profile_text {

// The leading decimal number after white space, with an optional sign; 0 when there is none.
// Saturates rather than wrapping far beyond 32 bits.
inline std::int64_t leadingNumber(const char* text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    std::int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        if (value < 100000000000LL) value = value * 10 + (*text - '0');
    return negative ? -value : value;
}

inline std::int32_t leadingInt32(const char* text) {
    const std::int64_t value = leadingNumber(text);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

// Negative numbers wrap as a 32-bit two's complement ("-1" is 4294967295).
inline std::uint32_t leadingUint32(const char* text) {
    const std::int64_t value = leadingNumber(text);
    if (value > static_cast<std::int64_t>(UINT32_MAX)) return UINT32_MAX;
    if (value < 0) return static_cast<std::uint32_t>(leadingInt32(text));
    return static_cast<std::uint32_t>(value);
}

// Pairs of hex digits in either case, until the text, a non-digit or the capacity ends.
inline int decodeHex(const char* text, std::uint8_t* out, int capacity) {
    int count = 0;
    for (; count < capacity; ++count, text += 2) {
        const int high = ascii::hexDigitValue(text[0]);
        const int low = high < 0 ? -1 : ascii::hexDigitValue(text[1]);
        if (low < 0) break;
        out[count] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return count;
}

// Two upper-case digits a byte; data that would not fit with the terminating zero is cut.
inline void encodeHex(const std::uint8_t* data, int length, char* out, std::size_t outSize) {
    static const char digits[] = "0123456789ABCDEF";
    std::size_t at = 0;
    for (int i = 0; i < length && at + 2 < outSize; ++i) {
        out[at++] = digits[data[i] >> 4];
        out[at++] = digits[data[i] & 15];
    }
    out[at] = '\0';
}

} // namespace gb::profile_text
