#include "platform/shell_open.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace gb::platform {

namespace {

bool haveDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x != nullptr && x[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
}

// The viewer outlives nothing of ours: a middle child starts it and ends at once, so the
// program never has a child to reap.
bool startDetached(const char* program, const char* argument) {
    const pid_t middle = fork();
    if (middle < 0) return false;
    if (middle == 0) {
        char* argv[] = {const_cast<char*>(program), const_cast<char*>(argument), nullptr};
        pid_t viewer = 0;
        const int failed = posix_spawnp(&viewer, program, nullptr, nullptr, argv, environ);
        _exit(failed == 0 ? 0 : 1);
    }
    int status = 0;
    while (waitpid(middle, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

bool shellOpen(const char* path) {
    if (path == nullptr || path[0] == '\0') return false;
    std::printf("open: %s\n", path);
    std::fflush(stdout);
    if (!haveDisplay()) return true;
    return startDetached("xdg-open", path);
}

bool programFilePath(const char* fileName, char* buffer, int capacity) {
    if (buffer == nullptr || capacity < 1 || fileName == nullptr) return false;
    buffer[0] = '\0';
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return false;
    path[length] = '\0';
    char* slash = std::strrchr(path, '/');
    if (slash == nullptr) return false;
    *slash = '\0';
    const int written =
        std::snprintf(buffer, static_cast<std::size_t>(capacity), "%s/%s", path, fileName);
    if (written < 0 || written >= capacity) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

} // namespace gb::platform
