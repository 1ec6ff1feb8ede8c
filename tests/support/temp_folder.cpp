#include "support/temp_folder.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace gb::test {

std::string uniqueName(const std::string& prefix) {
    // Randomness keeps parallel test programs apart, the counter keeps one program's calls apart.
    static const unsigned long long session = [] {
        std::random_device random;
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        return (static_cast<unsigned long long>(random()) << 32 ^ random()) ^
               static_cast<unsigned long long>(now);
    }();
    static std::atomic<unsigned> serial{0};
    char name[64];
    std::snprintf(name, sizeof name, "-%016llx-%u", session, ++serial);
    return prefix + name;
}

TempFolder::TempFolder(const std::string& prefix) {
    std::error_code error;
    const auto base = std::filesystem::temp_directory_path(error);
    if (error) return;
    // create_directory says whether it made the folder, so a name taken meanwhile is skipped.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = base / uniqueName(prefix);
        if (std::filesystem::create_directory(candidate, error)) {
            path_ = candidate.string();
            return;
        }
    }
}

TempFolder::~TempFolder() {
    std::error_code error;
    if (!path_.empty()) std::filesystem::remove_all(path_, error);
}

std::string TempFolder::file(const std::string& name) const {
    return (std::filesystem::path(path_) / name).string();
}

} // namespace gb::test
