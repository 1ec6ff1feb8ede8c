#include "ui/framework/number_checks.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace gb::ui {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Trims blanks; false when nothing is left.
bool trimmed(const char* text, const char*& begin, const char*& end) {
    if (text == nullptr) return false;
    begin = text;
    end = text + std::strlen(text);
    while (begin < end && isBlank(*begin))
        ++begin;
    while (end > begin && isBlank(end[-1]))
        --end;
    return begin < end;
}

// Digits only, at least one, accumulated into a 64-bit value that saturates above `limit`.
bool readDigits(const char* begin, const char* end, std::uint64_t limit, std::uint64_t& value) {
    if (begin == end) return false;
    value = 0;
    for (const char* p = begin; p < end; ++p) {
        if (!isDigit(*p)) return false;
        value = value * 10 + static_cast<std::uint64_t>(*p - '0');
        if (value > limit) return false;
    }
    return true;
}

} // namespace

bool parseUnsigned(const char* text, std::uint32_t& value) {
    const char* begin;
    const char* end;
    if (!trimmed(text, begin, end)) return false;
    if (*begin == '+') ++begin;
    std::uint64_t v;
    if (!readDigits(begin, end, UINT32_MAX, v)) return false;
    value = static_cast<std::uint32_t>(v);
    return true;
}

bool parseInt(const char* text, std::int32_t& value) {
    const char* begin;
    const char* end;
    if (!trimmed(text, begin, end)) return false;
    bool negative = false;
    if (*begin == '+' || *begin == '-') negative = *begin++ == '-';
    std::uint64_t v;
    const std::uint64_t limit = negative ? std::uint64_t{INT32_MAX} + 1 : std::uint64_t{INT32_MAX};
    if (!readDigits(begin, end, limit, v)) return false;
    value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(v))
                     : static_cast<std::int32_t>(v);
    return true;
}

bool parseDouble(const char* text, double& value) {
    const char* begin;
    const char* end;
    if (!trimmed(text, begin, end)) return false;
    const char* p = begin;
    if (*p == '+' || *p == '-') ++p;
    // The grammar is checked here so that from_chars never sees "nan", "inf" or hex forms.
    const char* mantissa = p;
    int digits = 0;
    while (p < end && isDigit(*p))
        ++p, ++digits;
    if (p < end && *p == '.') {
        ++p;
        while (p < end && isDigit(*p))
            ++p, ++digits;
    }
    if (digits == 0) return false;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < end && (*p == '+' || *p == '-')) ++p;
        if (p == end || !isDigit(*p)) return false;
        while (p < end && isDigit(*p))
            ++p;
    }
    if (p != end) return false;
    double v = 0;
    auto [ptr, ec] = std::from_chars(mantissa, end, v);
    if (ec != std::errc() || ptr != end || !std::isfinite(v)) return false;
    value = *begin == '-' ? -v : v;
    return true;
}

std::string formatUnsigned(std::uint32_t value) {
    return std::to_string(value);
}

std::string formatInt(std::int32_t value) {
    return std::to_string(value);
}

std::string formatDouble(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

std::string unsignedMessage() {
    return "Please enter a positive integer.";
}

std::string intMessage() {
    return "Please enter an integer.";
}

std::string doubleMessage() {
    return "Please enter a number.";
}

std::string rangeMessage(std::uint32_t min, std::uint32_t max) {
    return "Please enter an integer between " + formatUnsigned(min) + " and " +
           formatUnsigned(max) + ".";
}

std::string rangeMessage(std::int32_t min, std::int32_t max) {
    return "Please enter an integer between " + formatInt(min) + " and " + formatInt(max) + ".";
}

std::string rangeMessage(double min, double max) {
    return "Please enter a number between " + formatDouble(min) + " and " + formatDouble(max) + ".";
}

std::string maxCharsMessage(std::size_t maxChars) {
    return "Please enter no more than " + std::to_string(maxChars) + " characters.";
}

} // namespace gb::ui
