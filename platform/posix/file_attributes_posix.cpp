#include "platform/file_attributes.h"

#include <sys/stat.h>

namespace gb::platform {

namespace {
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
}

// The read-only attribute is a property of the file, not of who asks, so the permission bits
// decide rather than access(): a file nobody may write counts as read-only even for root.
FileAttributes fileAttributes(const char* path) {
    struct stat st {};
    if (path == nullptr || stat(path, &st) != 0) return {false, false, false};
    return {true, S_ISDIR(st.st_mode), (st.st_mode & kWriteBits) == 0};
}

bool setFileReadOnly(const char* path, bool readOnly) {
    struct stat st {};
    if (path == nullptr || stat(path, &st) != 0) return false;
    const mode_t mode = readOnly ? (st.st_mode & ~kWriteBits) : (st.st_mode | S_IWUSR);
    return chmod(path, mode & 07777) == 0;
}

} // namespace gb::platform
