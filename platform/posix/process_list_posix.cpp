#include "platform/process_list.h"

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace gb::platform {

namespace {

// The kernel keeps the exec'd file name in 16 bytes with its terminator.
constexpr std::size_t kCommMax = 15;

// Reads up to size - 1 bytes of a /proc file and terminates them; the length, or -1.
long readProcFile(const char* path, char* buffer, std::size_t size) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    std::size_t total = 0;
    while (total + 1 < size) {
        const ssize_t got = ::read(fd, buffer + total, size - 1 - total);
        if (got <= 0) break;
        total += static_cast<std::size_t>(got);
    }
    ::close(fd);
    buffer[total] = '\0';
    return static_cast<long>(total);
}

const char* baseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

// `candidate` (a path) names the same program as a cut `comm` when its base name extends it.
bool completes(const char* candidate, const char* comm, char* name, std::size_t size) {
    const char* base = baseName(candidate);
    const std::size_t length = std::strlen(base);
    if (length <= kCommMax || length >= size || std::strncmp(base, comm, kCommMax) != 0)
        return false;
    std::memcpy(name, base, length + 1);
    return true;
}

// The name process `pid` was started as; false for a process that is gone or a zombie.
bool processName(const char* pid, char* name, std::size_t size) {
    char path[64];
    char stat[512];
    std::snprintf(path, sizeof path, "/proc/%s/stat", pid);
    if (readProcFile(path, stat, sizeof stat) <= 0) return false;
    // "pid (comm) state ...": the name may itself hold blanks and parentheses.
    const char* open = std::strchr(stat, '(');
    const char* close = std::strrchr(stat, ')');
    if (open == nullptr || close == nullptr || close < open || close[1] != ' ') return false;
    if (close[2] == 'Z') return false;
    const std::size_t commLength = static_cast<std::size_t>(close - open - 1);
    if (commLength >= size) return false;
    std::memcpy(name, open + 1, commLength);
    name[commLength] = '\0';
    if (commLength < kCommMax) return true;

    char longer[4096];
    std::snprintf(path, sizeof path, "/proc/%s/cmdline", pid);
    if (readProcFile(path, longer, sizeof longer) > 0 && completes(longer, name, name, size))
        return true;
    std::snprintf(path, sizeof path, "/proc/%s/exe", pid);
    const ssize_t linkLength = ::readlink(path, longer, sizeof longer - 1);
    if (linkLength > 0) {
        longer[linkLength] = '\0';
        completes(longer, name, name, size);
    }
    return true;
}

bool isProcessId(const char* text) {
    if (*text == '\0') return false;
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') return false;
    }
    return true;
}

} // namespace

bool visitProcessNames(ProcessNameVisitor visitor, void* context) {
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) return false;
    char name[256];
    while (const dirent* entry = ::readdir(proc)) {
        if (!isProcessId(entry->d_name)) continue;
        if (!processName(entry->d_name, name, sizeof name)) continue;
        if (visitor(name, context)) break;
    }
    ::closedir(proc);
    return true;
}

} // namespace gb::platform
