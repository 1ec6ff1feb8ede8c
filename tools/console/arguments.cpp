#include "tools/console/arguments.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace gb::tools {

bool parseWholeNumber(std::string_view text, std::int64_t low, std::int64_t high,
                      std::int64_t& value) {
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    // from_chars takes no sign here and refuses an empty text; it reports overflow rather than
    // saturating or wrapping.
    if (text.empty() || text.front() == '-' || text.front() == '+') return false;
    std::uint64_t magnitude = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    if (magnitude > (std::uint64_t{1} << 63)) return false;
    std::int64_t n = 0;
    if (negative) {
        n = magnitude == (std::uint64_t{1} << 63) ? INT64_MIN
                                                  : -static_cast<std::int64_t>(magnitude);
    } else {
        if (magnitude > static_cast<std::uint64_t>(INT64_MAX)) return false;
        n = static_cast<std::int64_t>(magnitude);
    }
    if (n < low || n > high) return false;
    value = n;
    return true;
}

bool parseRealNumber(std::string_view text, double low, double high, double& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    // from_chars reads "nan" and "inf" too; only digits, a point, a sign and an exponent pass.
    for (char c : text) {
        const bool allowed =
            (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
        if (!allowed) return false;
    }
    double n = 0.0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), n, std::chars_format::general);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return false;
    if (!std::isfinite(n) || n < low || n > high) return false;
    value = n == 0.0 ? 0.0 : n; // "-0" is plain 0

    return true;
}

std::string printable(std::string_view text, bool keepLayout) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 0x20 && byte < 0x7F) || (keepLayout && (c == '\n' || c == '\t'))) {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(byte));
            out += escaped;
        }
    }
    return out;
}

const char* toolsVersion() {
    return GB_TOOLS_VERSION;
}

} // namespace gb::tools
