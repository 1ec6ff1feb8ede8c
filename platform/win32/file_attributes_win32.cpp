#include "platform/file_attributes.h"

#include <windows.h>

namespace gb::platform {

FileAttributes fileAttributes(const char* path) {
    if (path == nullptr) return {false, false, false};
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return {false, false, false};
    return {true, (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
            (attributes & FILE_ATTRIBUTE_READONLY) != 0};
}

bool setFileReadOnly(const char* path, bool readOnly) {
    if (path == nullptr) return false;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    const DWORD wanted = readOnly ? (attributes | FILE_ATTRIBUTE_READONLY)
                                  : (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    return SetFileAttributesA(path, wanted) != 0;
}

} // namespace gb::platform
