#pragma once
// The field exchange's number reading and range checks, as pure functions.
//
// A number field accepts optional blanks (spaces, tabs) around the number and nothing else: no
// thousands separators, no trailing letters. Unsigned fields take digits only (a leading "+" is
// allowed, a "-" is not); integer fields take an optional sign; double fields take the usual
// decimal and exponent forms, but never NaN or infinity and never a value that overflows a double.
// Reading is independent of the C locale.

#include <cstdint>
#include <string>

namespace gb::ui {

bool parseUnsigned(const char* text, std::uint32_t& value);
bool parseInt(const char* text, std::int32_t& value);
bool parseDouble(const char* text, double& value);

// Inclusive ranges. A NaN is never in range.
inline bool inRange(std::uint32_t value, std::uint32_t min, std::uint32_t max) {
    return value >= min && value <= max;
}
inline bool inRange(std::int32_t value, std::int32_t min, std::int32_t max) {
    return value >= min && value <= max;
}
inline bool inRange(double value, double min, double max) {
    return value >= min && value <= max;
}

// How the exchange writes numbers into controls: plain decimal; doubles in the general format
// with up to 15 significant digits, so 1.0 shows as "1" and 0.1 as "0.1".
std::string formatUnsigned(std::uint32_t value);
std::string formatInt(std::int32_t value);
std::string formatDouble(double value);

// The framework's messages for a failed check (caption: the application's title).
std::string unsignedMessage();
std::string intMessage();
std::string doubleMessage();
std::string rangeMessage(std::uint32_t min, std::uint32_t max);
std::string rangeMessage(std::int32_t min, std::int32_t max);
std::string rangeMessage(double min, double max);
std::string maxCharsMessage(std::size_t maxChars);

} // namespace gb::ui
