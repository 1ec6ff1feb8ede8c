#include "support/child_process.h"

#include <cstdlib>
#include <windows.h>

namespace gb::test {

namespace {

// One argument quoted for the command line the child's C runtime splits again.
std::string quoteArgument(const std::string& arg) {
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

HANDLE handleOf(long long value) {
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(value));
}

} // namespace

ChildProcess::~ChildProcess() {
    closeInput();
    kill();
    if (output_ != -1) CloseHandle(handleOf(output_));
    if (process_ != 0) CloseHandle(handleOf(process_));
}

bool ChildProcess::start(const std::string& program, const std::vector<std::string>& args,
                         ChildOutput output) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (output != ChildOutput::Shared) {
        if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    }
    HANDLE inputRead = nullptr;
    HANDLE inputWrite = nullptr;
    if (!CreatePipe(&inputRead, &inputWrite, &inherit, 0)) {
        if (readEnd != nullptr) CloseHandle(readEnd);
        if (writeEnd != nullptr) CloseHandle(writeEnd);
        return false;
    }
    SetHandleInformation(inputWrite, HANDLE_FLAG_INHERIT, 0);

    std::string commandLine = quoteArgument(program);
    for (const std::string& a : args) {
        commandLine += ' ';
        commandLine += quoteArgument(a);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inputRead;
    startup.hStdOutput = writeEnd != nullptr ? writeEnd : GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError =
        output == ChildOutput::CapturedWithErrors ? writeEnd : GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    // Its own process group, so that a Ctrl-Break (where there is a console) reaches the child
    // and not the test.
    const BOOL ok = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                   CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &info);
    if (writeEnd != nullptr) CloseHandle(writeEnd);
    CloseHandle(inputRead);
    if (!ok) {
        if (readEnd != nullptr) CloseHandle(readEnd);
        CloseHandle(inputWrite);
        return false;
    }
    input_ = reinterpret_cast<INT_PTR>(inputWrite);
    CloseHandle(info.hThread);
    process_ = reinterpret_cast<INT_PTR>(info.hProcess);
    processId_ = info.dwProcessId;
    if (readEnd != nullptr) output_ = reinterpret_cast<INT_PTR>(readEnd);
    return true;
}

bool ChildProcess::startCopy(const std::function<void()>&) {
    return false; // Windows cannot copy a running process
}

bool ChildProcess::readMore(int timeoutMs) {
    if (ended_ || output_ == -1) return false;
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(handleOf(output_), nullptr, 0, nullptr, &available, nullptr)) {
            ended_ = true; // the child closed its end
            return false;
        }
        if (available > 0) {
            char chunk[4096];
            DWORD n = 0;
            const DWORD want = available < sizeof chunk ? available : sizeof chunk;
            if (!ReadFile(handleOf(output_), chunk, want, &n, nullptr) || n == 0) {
                ended_ = true;
                return false;
            }
            buffer_.append(chunk, n);
            return true;
        }
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
}

bool ChildProcess::writeLine(const std::string& line) {
    if (input_ == -1) return false;
    const std::string text = line + "\n";
    DWORD written = 0;
    return WriteFile(handleOf(input_), text.data(), static_cast<DWORD>(text.size()), &written,
                     nullptr) &&
           written == text.size();
}

void ChildProcess::closeInput() {
    if (input_ != -1) CloseHandle(handleOf(input_));
    input_ = -1;
}

bool ChildProcess::interrupt() {
    return process_ != 0 && !exited_ &&
           GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, static_cast<DWORD>(processId_)) != 0;
}

int ChildProcess::wait(int timeoutMs) {
    if (exited_) return exitCode_;
    if (process_ == 0) return -1;
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        const bool drain = !ended_ && output_ != -1;
        if (WaitForSingleObject(handleOf(process_), drain ? 0 : 10) == WAIT_OBJECT_0) break;
        if (GetTickCount64() >= deadline) return -1;
        if (drain) readMore(10);
    }
    DWORD code = 0;
    GetExitCodeProcess(handleOf(process_), &code);
    exited_ = true;
    exitCode_ = static_cast<int>(code);
    return exitCode_;
}

void ChildProcess::kill() {
    if (process_ == 0 || exited_) return;
    TerminateProcess(handleOf(process_), 137);
    wait(5000);
}

void setEnvironment(const std::string& name, const std::string& value) {
    // The C runtime's copy (getenv) and the process's (CreateProcess) both change.
    _putenv_s(name.c_str(), value.c_str());
}

std::string emulatorAddress(const TempFolder&) {
    return uniqueName("gb-emulator");
}

std::string hostPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string windows = "Z:" + path;
    for (char& c : windows)
        if (c == '/') c = '\\';
    return windows;
}

} // namespace gb::test
