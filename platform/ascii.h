#pragma once
// ASCII character rules the whole system shares: case folding and hex digits of names, keys and
// values in files and on command lines. ASCII only and independent of the C locale, so a name
// matches the same way on every build and in every user's locale; bytes above 0x7F are compared
// as they are. Header-only and free of operating-system headers: every folder may include it.

#include <cstddef>
#include <string_view>

namespace gb::ascii {

// 'A'-'Z' to 'a'-'z'; every other byte unchanged.
constexpr char toLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The value of a hex digit in either case, or -1 for any other character.
constexpr int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Whole strings equal when case is ignored.
constexpr bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (toLower(a[i]) != toLower(b[i])) return false;
    return true;
}

// As strncasecmp(a, b, count) == 0: at most `count` characters, stopping after a terminating
// zero both share. Neither string is read past its terminating zero or past `count`.
constexpr bool equalIgnoringCase(const char* a, const char* b, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (toLower(a[i]) != toLower(b[i])) return false;
        if (a[i] == '\0') return true;
    }
    return true;
}

// Order ignoring case, as strcasecmp in the C locale: the first differing folded byte decides,
// taken as unsigned; a string that is a prefix of the other comes first. Negative, 0 or positive.
constexpr int compareIgnoringCase(std::string_view a, std::string_view b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = static_cast<unsigned char>(toLower(a[i]));
        const unsigned char y = static_cast<unsigned char>(toLower(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace gb::ascii
