#pragma once
// Scratch space for a test: a folder of its own below the system's temporary folder, removed with
// everything in it when the test ends, and names no other test program running at the same time
// picks (registry keys, pipe names, probe files).

#include <string>

namespace gb::test {

// A name that starts with `prefix` and is unique across processes and calls.
std::string uniqueName(const std::string& prefix);

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "gb-test");
    ~TempFolder(); // removes the folder and everything in it
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // A path inside the folder; nothing is created.
    std::string file(const std::string& name) const;
    // Empty when the folder could not be made.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace gb::test
