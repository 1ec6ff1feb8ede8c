// The registry backend: one key per section, rootKey\registryPath\<section>, over the platform's
// registry service. Reads open the key, query into valueBuffer and close it again.

#include "platform/registry.h"
#include "settings/profile_store.h"

#include <cstdio>
#include <cstring>

namespace gb {

namespace {

using platform::RegistryKey;

// Closes an opened key on every path.
class OpenKey {
public:
    OpenKey() = default;
    ~OpenKey() {
        if (key_ != nullptr) platform::regCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    RegistryKey* out() { return &key_; }
    RegistryKey get() const { return key_; }

private:
    RegistryKey key_ = nullptr;
};

int copyBytes(void* buffer, int capacity, const void* data, std::uint32_t size) {
    const int count =
        size < static_cast<std::uint32_t>(capacity) ? static_cast<int>(size) : capacity;
    if (count > 0) std::memcpy(buffer, data, static_cast<std::size_t>(count));
    return count;
}

} // namespace

bool ProfileStore::sectionKeyPath(const char* sectionName, char* path, int capacity) const {
    const char* name = sectionOr(sectionName);
    const int length =
        name[0] != '\0'
            ? std::snprintf(path, static_cast<std::size_t>(capacity), "%s\\%s", registryPath, name)
            : std::snprintf(path, static_cast<std::size_t>(capacity), "%s", registryPath);
    return length >= 0 && length < capacity;
}

// The value's bytes in valueBuffer (zero-terminated) and its size, or -1 with lastError set.
int ProfileStore::regRead(const char* sectionName, const char* key, std::uint32_t* type) {
    char path[2 * NameLimit + 2];
    if (registryPath[0] == '\0') {
        lastError = NoRegistryPath;
        return -1;
    }
    OpenKey opened;
    if (!sectionKeyPath(sectionName, path, sizeof path) ||
        platform::regOpenKey(platform::registryRoot(rootKey), path, opened.out()) !=
            platform::RegSuccess) {
        lastError = SectionNotFound;
        return -1;
    }
    std::uint32_t size = ValueCapacity;
    if (platform::regQueryValue(opened.get(), key, type, valueBuffer, &size) !=
        platform::RegSuccess) {
        lastError = KeyNotFound;
        return -1;
    }
    valueBuffer[size] = '\0';
    return static_cast<int>(size);
}

bool ProfileStore::regWrite(const char* sectionName, const char* key, std::uint32_t type,
                            const void* data, std::uint32_t size) {
    char path[2 * NameLimit + 2];
    if (registryPath[0] == '\0') {
        lastError = NoRegistryPath;
        return false;
    }
    if (writable != 1) {
        lastError = NotWritable;
        return false;
    }
    OpenKey opened;
    if (!sectionKeyPath(sectionName, path, sizeof path) ||
        platform::regCreateKey(platform::registryRoot(rootKey), path, opened.out()) !=
            platform::RegSuccess) {
        lastError = SectionNotFound;
        return false;
    }
    // Strings arrive as zero-terminated text; the registry keeps the zero that follows them.
    const std::int32_t code =
        type == platform::RegSz
            ? platform::regSetText(opened.get(), key, type, static_cast<const char*>(data))
            : platform::regSetValue(opened.get(), key, type, data, size);
    if (code != platform::RegSuccess) {
        lastError = KeyNotFound;
        return false;
    }
    return true;
}

std::int32_t ProfileStore::regGetDword(const char* sectionName, const char* key,
                                       std::int32_t fallback) {
    std::uint32_t type = 0;
    const int size = regRead(sectionName, key, &type);
    if (size < 0) return fallback;
    if (type != platform::RegDword) {
        lastError = WrongType;
        return fallback;
    }
    std::int32_t value = 0;
    copyBytes(&value, sizeof value, valueBuffer, static_cast<std::uint32_t>(size));
    return value;
}

// Raw text, no expansion of REG_EXPAND_SZ; the count is the stored size, cut at the capacity.
int ProfileStore::regGetString(const char* sectionName, const char* key, char* buffer,
                               int capacity) {
    std::uint32_t type = 0;
    const int size = regRead(sectionName, key, &type);
    if (size < 0) return 0;
    if (type != platform::RegSz && type != platform::RegExpandSz) {
        lastError = WrongType;
        return 0;
    }
    const int count = copyBytes(buffer, capacity, valueBuffer, static_cast<std::uint32_t>(size));
    buffer[count] = '\0';
    return count;
}

int ProfileStore::regGetBinary(const char* sectionName, const char* key, void* buffer,
                               int capacity) {
    std::uint32_t type = 0;
    const int size = regRead(sectionName, key, &type);
    if (size < 0) return 0;
    if (type != platform::RegBinary) {
        lastError = WrongType;
        return 0;
    }
    return copyBytes(buffer, capacity, valueBuffer, static_cast<std::uint32_t>(size));
}

// A section key that cannot be opened holds nothing to delete.
bool ProfileStore::regDeleteKey(const char* sectionName, const char* key) {
    char path[2 * NameLimit + 2];
    if (registryPath[0] == '\0') {
        lastError = NoRegistryPath;
        return false;
    }
    if (writable != 1) {
        lastError = NotWritable;
        return false;
    }
    OpenKey opened;
    if (!sectionKeyPath(sectionName, path, sizeof path) ||
        platform::regOpenKey(platform::registryRoot(rootKey), path, opened.out()) !=
            platform::RegSuccess)
        return true;
    if (platform::regDeleteValue(opened.get(), key) != platform::RegSuccess) {
        lastError = CannotDeleteValue;
        return false;
    }
    return true;
}

bool ProfileStore::regDeleteSection(const char* sectionName) {
    char path[2 * NameLimit + 2];
    if (registryPath[0] == '\0') {
        lastError = NoRegistryPath;
        return false;
    }
    if (writable != 1) {
        lastError = NotWritable;
        return false;
    }
    const RegistryKey root = platform::registryRoot(rootKey);
    {
        OpenKey opened;
        if (!sectionKeyPath(sectionName, path, sizeof path) ||
            platform::regOpenKey(root, path, opened.out()) != platform::RegSuccess)
            return true;
    }
    if (platform::regDeleteTree(root, path) != platform::RegSuccess) {
        lastError = CannotDeleteTree;
        return false;
    }
    return true;
}

int ProfileStore::regEnumSections(int index, const char* pattern, char* buffer, int capacity) {
    if (registryPath[0] == '\0') {
        lastError = NoRegistryPath;
        return 0;
    }
    OpenKey opened;
    if (platform::regOpenKey(platform::registryRoot(rootKey), registryPath, opened.out()) !=
        platform::RegSuccess) {
        lastError = SectionNotFound;
        return 0;
    }
    char name[NameLimit];
    int matches = 0;
    for (std::uint32_t at = 0;
         platform::regEnumKey(opened.get(), at, name, sizeof name) == platform::RegSuccess; ++at) {
        if (MatchPattern(name, pattern, true) < 0 || matches++ != index) continue;
        const int count = copyBytes(buffer, capacity, name, std::strlen(name));
        buffer[count] = '\0';
        return count;
    }
    lastError = KeyNotFound;
    return 0;
}

int ProfileStore::regEnumKeys(int index, const char* sectionName, const char* pattern, char* buffer,
                              int capacity) {
    char path[2 * NameLimit + 2];
    if (registryPath[0] == '\0') {
        lastError = NoRegistryPath;
        return 0;
    }
    OpenKey opened;
    if (!sectionKeyPath(sectionName, path, sizeof path) ||
        platform::regOpenKey(platform::registryRoot(rootKey), path, opened.out()) !=
            platform::RegSuccess) {
        lastError = SectionNotFound;
        return 0;
    }
    int matches = 0;
    for (std::uint32_t at = 0;; ++at) {
        std::uint32_t length = ValueCapacity + 1;
        if (platform::regEnumValue(opened.get(), at, valueBuffer, &length) != platform::RegSuccess)
            break;
        if (MatchPattern(valueBuffer, static_cast<int>(length), pattern, true) < 0 ||
            matches++ != index)
            continue;
        const int count = copyBytes(buffer, capacity, valueBuffer, length);
        buffer[count] = '\0';
        return count;
    }
    lastError = KeyNotFound;
    return 0;
}

} // namespace gb
