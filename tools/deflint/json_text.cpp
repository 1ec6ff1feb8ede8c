#include "tools/deflint/json_text.h"

#include <charconv>
#include <cmath>

namespace gb {

namespace {

void appendEscape(std::string& out, unsigned code) {
    static const char hex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += hex[(code >> shift) & 0xF];
}

// Length of the well-formed UTF-8 sequence at the start of `s` (RFC 3629: no overlong forms,
// no surrogates, nothing above U+10FFFF), or 0.
std::size_t utf8Length(std::string_view s) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned c = byte(0);
    std::size_t length = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF; // bounds of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    return length;
}

} // namespace

void appendJsonString(std::string& out, std::string_view bytes) {
    out += '"';
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (c < 0x20 || c == 0x7F)
                    appendEscape(out, c);
                else
                    out += static_cast<char>(c);
            }
            ++i;
            continue;
        }
        const std::size_t length = utf8Length(bytes.substr(i));
        if (length == 0) {
            appendEscape(out, c);
            ++i;
            continue;
        }
        // U+2028 and U+2029 are valid JSON but end a line in JavaScript.
        if (length == 3 && c == 0xE2 && static_cast<unsigned char>(bytes[i + 1]) == 0x80 &&
            (bytes[i + 2] == '\xA8' || bytes[i + 2] == '\xA9')) {
            appendEscape(out, bytes[i + 2] == '\xA8' ? 0x2028 : 0x2029);
        } else {
            out.append(bytes.substr(i, length));
        }
        i += length;
    }
    out += '"';
}

void appendJsonNumber(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "\"NaN\"";
        return;
    }
    if (std::isinf(value)) {
        out += value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
        return;
    }
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

} // namespace gb
