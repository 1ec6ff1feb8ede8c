#pragma once
// What the file system reports about a path, without opening it.

namespace gb::platform {

struct FileAttributes {
    bool exists;    // the file system reports attributes for the path (directories included)
    bool directory; // the path names a directory
    bool readOnly;  // the read-only attribute; natively: no write permission for anyone
};

// Attributes of `path`; all false when the path is null or the file system reports nothing.
FileAttributes fileAttributes(const char* path);

// Sets or clears the read-only attribute (natively: the write permission bits). False on failure.
bool setFileReadOnly(const char* path, bool readOnly);

} // namespace gb::platform
