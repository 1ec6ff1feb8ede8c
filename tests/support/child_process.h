#pragma once
// A program started by a test as a separate process: its standard output read back line by line
// (or left to the test's own), its standard input written by the test, interrupted as Ctrl-C
// would, waited for or killed. Natively a posix_spawn child; in the Windows build a CreateProcess
// child (under Wine in the same wineserver as the test). Standard error goes to the test's own
// unless captured with the output.
// Backends: child_process_posix.cpp, child_process_win32.cpp; CMake picks one.

#include "support/temp_folder.h"

#include <functional>
#include <string>
#include <vector>

namespace gb::test {

enum class ChildOutput {
    Captured,           // read back with readLine / readUntil
    CapturedWithErrors, // the same, with standard error in the same stream
    Shared,             // the test's own standard output (a chatty child that nobody reads)
};

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess(); // ends a child that still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // `program` as the build names it; hostPath() makes a build path usable under Wine.
    bool start(const std::string& program, const std::vector<std::string>& args,
               ChildOutput output = ChildOutput::Captured);
    // Native build only: runs `body` in a copy of the test process (fork), which then ends with
    // exit code 0. For writers that a test kills at a moment of its choosing.
    bool startCopy(const std::function<void()>& body);

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
    // The exit code (128 + signal natively when a signal ended it); -1 when the child still runs
    // after timeoutMs. Captured output that arrives meanwhile is kept for readLine, so a child
    // never stalls on a full pipe while the test waits.
    int wait(int timeoutMs);
    // Ends the child at once (SIGKILL, TerminateProcess) and reaps it.
    void kill();
    // The system's id of the child (0 before a start), for reading its use of the machine.
    long long processId() const { return processId_; }

private:
    // Up to `timeoutMs` for more output; false at end of output or timeout.
    bool readMore(int timeoutMs);

    std::string buffer_;
    bool ended_ = false; // output closed
    int exitCode_ = -1;
    bool exited_ = false;
    // Platform handles: process id or handle, and the pipe ends (-1: none).
    long long process_ = 0;
    long long output_ = -1;
    long long input_ = -1;
    long long processId_ = 0;
};

// Where the Windows build's programs are, seen from a program under Wine: a Unix path of the
// build folder as a Z: path there; unchanged natively.
std::string hostPath(const std::string& path);

// Sets (an empty value: clears) a variable of the test's own environment, which the children it
// starts afterwards inherit and which a library loaded in the test reads.
void setEnvironment(const std::string& name, const std::string& value);

// An address for a card emulator program that no other run uses (the value QUARNIO_EMULATOR or
// --address takes): natively `scratch` itself, the folder for its sockets; on Windows a pipe
// prefix of a unique name.
std::string emulatorAddress(const TempFolder& scratch);

} // namespace gb::test
