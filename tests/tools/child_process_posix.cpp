#include "child_process.h"

#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace gb::test {

bool startProcess(const std::vector<std::string>& argv, ChildProcess& child) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    child.id = pid;
    return true;
}

bool waitProcess(ChildProcess& child, int timeoutMs, int& exitCode) {
    for (int waited = 0;; waited += 10) {
        int status = 0;
        pid_t done = ::waitpid(static_cast<pid_t>(child.id), &status, WNOHANG);
        if (done == static_cast<pid_t>(child.id)) {
            exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            child.id = -1;
            return true;
        }
        if (done < 0 || waited >= timeoutMs) return false;
        timespec pause{0, 10 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
}

void killProcess(ChildProcess& child) {
    if (child.id <= 0) return;
    ::kill(static_cast<pid_t>(child.id), SIGKILL);
    int status = 0;
    ::waitpid(static_cast<pid_t>(child.id), &status, 0);
    child.id = -1;
}

std::string freshEmulatorAddress() {
    char folder[] = "/tmp/gb-emulator-XXXXXX";
    return ::mkdtemp(folder) ? folder : "";
}

std::string scratchFile(const std::string& name) {
    char folder[] = "/tmp/gb-scratch-XXXXXX";
    return std::string(::mkdtemp(folder) ? folder : "/tmp") + "/" + name;
}

void removeScratch(const std::string& path) {
    ::unlink(path.c_str());
    std::string::size_type slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) ::rmdir(path.substr(0, slash).c_str());
}

void removeEmulatorAddress(const std::string& address) {
    ::rmdir(address.c_str()); // the program removes its socket when it ends
}

} // namespace gb::test
