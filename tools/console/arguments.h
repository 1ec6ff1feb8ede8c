#pragma once
// Command-line helpers the tools share: strict number reading for options, quoting of what a user
// typed in messages, and the tools' version.

#include <cstdint>
#include <string>
#include <string_view>

namespace gb::tools {

// A whole number in decimal (optionally signed) or, with "0x", hexadecimal, from `low` to `high`.
// The whole text must be the number: no blanks, no trailing characters. The range is checked on
// the exact value, before any conversion, so 2^32 or 1e300 never wraps into range.
bool parseWholeNumber(std::string_view text, std::int64_t low, std::int64_t high,
                      std::int64_t& value);

// A finite decimal number ("2.5", "-1e3") from `low` to `high`, the whole text. NaN, infinities
// and numbers too large for a double ("1e999") are refused.
bool parseRealNumber(std::string_view text, double low, double high, double& value);

// The text with every byte outside printable ASCII (controls, DEL, bytes from 128) written as
// \xHH, so that a message quoting it cannot drive the terminal. `keepLayout` lets line feeds and
// tabs through, for multi-line reports.
std::string printable(std::string_view text, bool keepLayout = false);

// The tools' version, from the project's version in CMake.
const char* toolsVersion();

} // namespace gb::tools
