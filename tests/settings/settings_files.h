#pragma once
// File helpers for the profile store's tests: whole-file reads and writes in binary, and golden
// text converted to the line ends the C runtime's text mode writes. A fresh folder per test is
// TempFolder from tests/support.

#include "support/temp_folder.h"
#include "support/test_data.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

namespace gb::test {

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline bool fileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// What "\n" becomes in a file written in text mode: CR LF on Windows, LF elsewhere.
inline const std::string& textLineEnd() {
    static const std::string lineEnd = [] {
        // A folder of its own: test programs run in parallel, and a probe truncated by another
        // process would read as "no line end at all".
        const TempFolder folder("gb-line-end");
        const std::string probe = folder.file("probe.txt");
        std::FILE* file = std::fopen(probe.c_str(), "wt");
        if (file != nullptr) {
            std::fputs("\n", file);
            std::fclose(file);
        }
        return readBytes(probe);
    }();
    return lineEnd;
}

// Golden text (LF) as the store writes it on this build.
inline std::string asWritten(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += textLineEnd();
        else
            out += c;
    }
    return out;
}

inline std::string golden(const std::string& name) {
    return asWritten(readBytes(dataPath("settings/" + name)));
}

} // namespace gb::test
