#pragma once
// Starting a helper program from a test and waiting for it, and the scratch names such a run
// needs. Backends: child_process_posix.cpp, child_process_win32.cpp.

#include <cstdint>
#include <string>
#include <vector>

namespace gb::test {

struct ChildProcess {
    std::intptr_t id = -1;
};

// Starts `argv[0]` with the arguments that follow; it shares the test's standard streams.
bool startProcess(const std::vector<std::string>& argv, ChildProcess& child);
// Waits up to timeoutMs for the child to end. True, with its exit code, when it ended.
bool waitProcess(ChildProcess& child, int timeoutMs, int& exitCode);
void killProcess(ChildProcess& child);

// A fresh emulator address: a new socket folder, or a pipe prefix nobody uses on Windows.
std::string freshEmulatorAddress();
// A path for a scratch file that does not exist yet.
std::string scratchFile(const std::string& name);
// Removes a scratch file, and the scratch folder or emulator address made for it.
void removeScratch(const std::string& path);
void removeEmulatorAddress(const std::string& address);

} // namespace gb::test
