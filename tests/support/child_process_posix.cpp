#include "support/child_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace gb::test {

namespace {

void closeIfOpen(int fd) {
    if (fd >= 0) close(fd);
}

} // namespace

ChildProcess::~ChildProcess() {
    closeInput();
    kill();
    if (output_ >= 0) close(static_cast<int>(output_));
}

bool ChildProcess::start(const std::string& program, const std::vector<std::string>& args,
                         ChildOutput output) {
    // A child that ends early must not take the test down with SIGPIPE on the next write.
    std::signal(SIGPIPE, SIG_IGN);
    int fds[2] = {-1, -1};
    int in[2];
    if (output != ChildOutput::Shared && pipe(fds) != 0) return false;
    if (pipe(in) != 0) {
        closeIfOpen(fds[0]);
        closeIfOpen(fds[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (fds[1] >= 0) posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    if (output == ChildOutput::CapturedWithErrors)
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    for (int fd : {fds[0], fds[1], in[0], in[1]})
        if (fd >= 0) posix_spawn_file_actions_addclose(&actions, fd);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    closeIfOpen(fds[1]);
    close(in[0]);
    if (rc != 0) {
        closeIfOpen(fds[0]);
        close(in[1]);
        return false;
    }
    process_ = pid;
    processId_ = pid;
    output_ = fds[0];
    input_ = in[1];
    return true;
}

bool ChildProcess::startCopy(const std::function<void()>& body) {
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        body();
        _exit(0);
    }
    process_ = pid;
    processId_ = pid;
    return true;
}

bool ChildProcess::readMore(int timeoutMs) {
    if (ended_ || output_ < 0) return false;
    pollfd p{static_cast<int>(output_), POLLIN, 0};
    const int ready = poll(&p, 1, timeoutMs);
    if (ready <= 0) return false;
    char chunk[4096];
    const ssize_t n = read(static_cast<int>(output_), chunk, sizeof chunk);
    if (n <= 0) {
        ended_ = true;
        return false;
    }
    buffer_.append(chunk, static_cast<std::size_t>(n));
    return true;
}

bool ChildProcess::writeLine(const std::string& line) {
    if (input_ < 0) return false;
    const std::string text = line + "\n";
    return write(static_cast<int>(input_), text.data(), text.size()) ==
           static_cast<ssize_t>(text.size());
}

void ChildProcess::closeInput() {
    if (input_ >= 0) close(static_cast<int>(input_));
    input_ = -1;
}

bool ChildProcess::interrupt() {
    return process_ > 0 && !exited_ && ::kill(static_cast<pid_t>(process_), SIGINT) == 0;
}

int ChildProcess::wait(int timeoutMs) {
    if (exited_) return exitCode_;
    if (process_ <= 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(static_cast<pid_t>(process_), &status, WNOHANG);
        if (done == static_cast<pid_t>(process_)) {
            exited_ = true;
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return exitCode_;
        }
        if (done < 0 || std::chrono::steady_clock::now() >= deadline) return -1;
        if (!ended_ && output_ >= 0)
            readMore(10);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void ChildProcess::kill() {
    if (process_ <= 0 || exited_) return;
    ::kill(static_cast<pid_t>(process_), SIGKILL);
    wait(5000);
}

std::string hostPath(const std::string& path) {
    return path;
}

void setEnvironment(const std::string& name, const std::string& value) {
    if (value.empty()) {
        ::unsetenv(name.c_str());
    } else {
        ::setenv(name.c_str(), value.c_str(), 1);
    }
}

std::string emulatorAddress(const TempFolder& scratch) {
    return scratch.path();
}

} // namespace gb::test
