#pragma once
// The pieces of JSON text that glowbridge-lint's machine-readable report is made of. Whatever the
// bytes (a definition file is 8-bit text in whatever code page its editor used), the result is
// valid JSON.

#include <string>
#include <string_view>

namespace gb {

// Appends `bytes` as a JSON string, quotes included. Well-formed UTF-8 passes unchanged; quote,
// backslash, control characters (NUL and Ctrl-Z among them), DEL and U+2028/U+2029 are escaped;
// each byte that is not part of well-formed UTF-8 becomes the character of the same number
// (\u0080..\u00FF, as Latin-1 reads it).
void appendJsonString(std::string& out, std::string_view bytes);

// Appends a finite number in its shortest form that reads back as the same double; JSON has no
// NaN or infinity, so those become the strings "NaN", "Infinity" and "-Infinity".
void appendJsonNumber(std::string& out, double value);

} // namespace gb
