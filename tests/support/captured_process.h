#pragma once
// A program started by a test as a separate process, its standard output read back line by
// line, its standard input written by the test. Natively a fork/exec child; in the Windows build a
// CreateProcess child (under Wine in the same wineserver as the test). Standard error goes to the
// test's own.

#include <string>
#include <vector>

namespace gb::test {

class CapturedProcess {
public:
    CapturedProcess() = default;
    ~CapturedProcess(); // ends a child that still runs
    CapturedProcess(const CapturedProcess&) = delete;
    CapturedProcess& operator=(const CapturedProcess&) = delete;

    bool start(const std::string& program, const std::vector<std::string>& args);
    // The next line of output without its line end; false at the end of the output or when none
    // came within timeoutMs.
    bool readLine(std::string& line, int timeoutMs);
    // Reads lines until one starts with `prefix` (returned in `line`); false on end or timeout.
    bool readUntil(const std::string& prefix, std::string& line, int timeoutMs);
    // Writes one line to the child's standard input; closing it gives the child end of input.
    bool writeLine(const std::string& line);
    void closeInput();
    // As Ctrl-C would: SIGINT natively, CTRL_BREAK_EVENT to the child's process group on Windows.
    bool interrupt();
    // The exit code; -1 when the child still runs after timeoutMs.
    int wait(int timeoutMs);
    void kill();

private:
    // Up to `timeoutMs` for more output; false at end of output or timeout.
    bool readMore(int timeoutMs);

    std::string buffer_;
    bool ended_ = false; // output closed
    int exitCode_ = -1;
    bool exited_ = false;
    // Platform handles: process id or handle, and the read end of the output pipe.
    long long process_ = 0;
    long long output_ = -1;
    long long input_ = -1;
    long long processId_ = 0;
};

// Where the Windows build's programs are, seen from a program under Wine: a Unix path of the
// build folder as a Z: path there; unchanged natively.
std::string hostPath(const std::string& path);

} // namespace gb::test
