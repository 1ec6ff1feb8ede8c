#include "platform/process_list.h"

#include <windows.h>

#include <tlhelp32.h>

namespace gb::platform {

bool visitProcessNames(ProcessNameVisitor visitor, void* context) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        entry.szExeFile[sizeof entry.szExeFile - 1] = '\0';
        if (visitor(entry.szExeFile, context)) break;
    }
    CloseHandle(snapshot);
    return true;
}

} // namespace gb::platform
