#include "support/child_process.h"

#include <chrono>

namespace gb::test {

bool ChildProcess::readLine(std::string& line, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const std::size_t newline = buffer_.find('\n');
        if (newline != std::string::npos) {
            line = buffer_.substr(0, newline);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            buffer_.erase(0, newline + 1);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || !readMore(static_cast<int>(left))) {
            if (ended_ && !buffer_.empty()) {
                line = buffer_;
                buffer_.clear();
                return true;
            }
            return false;
        }
    }
}

bool ChildProcess::readUntil(const std::string& prefix, std::string& line, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || !readLine(line, static_cast<int>(left))) return false;
        if (line.compare(0, prefix.size(), prefix) == 0) return true;
    }
}

} // namespace gb::test
