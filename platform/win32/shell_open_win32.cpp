#include "platform/shell_open.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstring>

namespace gb::platform {

bool shellOpen(const char* path) {
    if (path == nullptr || path[0] == '\0') return false;
    // ShellExecuteA reports success by a value above 32.
    const HINSTANCE result = ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool programFilePath(const char* fileName, char* buffer, int capacity) {
    if (buffer == nullptr || capacity < 1 || fileName == nullptr) return false;
    buffer[0] = '\0';
    char path[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    path[length] = '\0';
    char* slash = std::strrchr(path, '\\');
    if (slash == nullptr) return false;
    *slash = '\0';
    const int written =
        std::snprintf(buffer, static_cast<std::size_t>(capacity), "%s\\%s", path, fileName);
    if (written < 0 || written >= capacity) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

} // namespace gb::platform
