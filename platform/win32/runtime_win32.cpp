#include "platform/runtime.h"

#include <windows.h>

namespace gb::platform {

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

const char* textLineEnd() {
    return "\r\n";
}

} // namespace gb::platform
