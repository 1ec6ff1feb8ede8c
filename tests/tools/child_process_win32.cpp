#include "child_process.h"

#include <windows.h>

namespace gb::test {

namespace {

// Wine runs Windows programs, so a Unix path handed in by the build is reached through Z:.
std::string windowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

unsigned nextSerial() {
    static unsigned serial = 0;
    return ++serial;
}

} // namespace

bool startProcess(const std::vector<std::string>& argv, ChildProcess& child) {
    std::string program = windowsPath(argv.at(0));
    std::string line = "\"" + program + "\"";
    for (std::size_t i = 1; i < argv.size(); ++i)
        line += " \"" + argv[i] + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    child.id = reinterpret_cast<std::intptr_t>(info.hProcess);
    return true;
}

bool waitProcess(ChildProcess& child, int timeoutMs, int& exitCode) {
    HANDLE process = reinterpret_cast<HANDLE>(child.id);
    if (WaitForSingleObject(process, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    exitCode = static_cast<int>(code);
    CloseHandle(process);
    child.id = -1;
    return true;
}

void killProcess(ChildProcess& child) {
    if (child.id == -1) return;
    HANDLE process = reinterpret_cast<HANDLE>(child.id);
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
    child.id = -1;
}

std::string freshEmulatorAddress() {
    return "gb-emulator-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(nextSerial());
}

std::string scratchFile(const std::string& name) {
    char folder[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof folder, folder);
    std::string base = n > 0 ? std::string(folder, n) : std::string(".\\");
    return base + "gb-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(nextSerial()) + "-" + name;
}

void removeScratch(const std::string& path) {
    DeleteFileA(path.c_str());
}

void removeEmulatorAddress(const std::string&) {} // a pipe goes with its program

} // namespace gb::test
