#pragma once
// File helpers for the profile store's tests: a fresh folder per test, whole-file reads and
// writes in binary, and golden text converted to the line ends the C runtime's text mode writes.

#include "support/test_data.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
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
        // A name of its own: test programs run in parallel, and a probe truncated by another
        // process would read as "no line end at all".
        std::random_device random;
        const auto probe = std::filesystem::temp_directory_path() /
                           ("gb-line-end-" + std::to_string(random()) + std::to_string(random()));
        std::FILE* file = std::fopen(probe.string().c_str(), "wt");
        if (file != nullptr) {
            std::fputs("\n", file);
            std::fclose(file);
        }
        std::string bytes = readBytes(probe.string());
        std::filesystem::remove(probe);
        return bytes;
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

// A folder of its own for one test, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder() {
        std::random_device random;
        path_ = (std::filesystem::temp_directory_path() /
                 ("gb-settings-" + std::to_string(random()) + std::to_string(random())))
                    .string();
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string file(const std::string& name) const {
        return (std::filesystem::path(path_) / name).string();
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace gb::test
