#include "settings/profile_store.h"

#include "platform/ascii.h"
#include "platform/file_attributes.h"
#include "platform/registry.h"
#include "settings/ini_file_io.h"
#include "settings/profile_text.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace gb {

namespace {

constexpr const char* kDefaultSection = "Settings";

// Copies at most `capacity` characters and a terminating zero; the source may overlap the buffer.
int copyText(char* buffer, int capacity, const char* text) {
    if (buffer == nullptr || capacity < 0) return 0;
    const std::size_t length = text != nullptr ? std::strlen(text) : 0;
    const int count =
        length < static_cast<std::size_t>(capacity) ? static_cast<int>(length) : capacity;
    if (count > 0) std::memmove(buffer, text, static_cast<std::size_t>(count));
    buffer[count] = '\0';
    return count;
}

} // namespace

ProfileStore::ProfileStore(const char* iniFile, const char* sectionName)
    : writable(1), lastError(Ok), valueBuffer{}, rootKey(platform::HkeyCurrentUser),
      deleteBackup(1), iniPath{}, sectionLine(0),
      keyLine(0), section{}, registryPath{}, resultBuffer{}, fileIo(&IniFileIo::standard()) {
    std::strcpy(section, kDefaultSection);
    if (iniFile != nullptr) SetIniFile(iniFile);
    if (sectionName != nullptr) SetSection(sectionName);
}

ProfileStore::ProfileStore(const char* registryBase, const char* registrySub,
                           const char* sectionName)
    : ProfileStore(nullptr, nullptr) {
    if (registryBase != nullptr) SetRegistryPath(registryBase, registrySub);
    if (sectionName != nullptr) SetSection(sectionName);
}

void ProfileStore::SetFileIo(IniFileIo* io) {
    fileIo = io != nullptr ? io : &IniFileIo::standard();
}

// Names of five or more characters keep an extension whose first three characters read ".in" in
// any case; the last character is not looked at, so "x.inf" stays and "x.txt" becomes "x.txt.ini".
bool ProfileStore::SetIniFile(const char* name) {
    return setIniPath(name, true);
}

bool ProfileStore::SetIniFileExact(const char* name) {
    return setIniPath(name, false);
}

bool ProfileStore::setIniPath(const char* name, bool nameRule) {
    iniPath[0] = '\0';
    writable = 1;
    if (name == nullptr) return true;
    const std::size_t length = std::strlen(name);
    if (length >= NameLimit) return false;
    std::memcpy(iniPath, name, length + 1);
    if (nameRule && (length <= 4 || !ascii::equalIgnoringCase(name + length - 4, ".in", 3)))
        std::strcat(iniPath, ".ini");
    const platform::FileAttributes attributes = platform::fileAttributes(iniPath);
    if (attributes.exists && attributes.readOnly) writable = 0;
    return true;
}

int ProfileStore::GetIniFile(char* buffer, int capacity) const {
    return copyText(buffer, capacity, iniPath);
}

bool ProfileStore::IniFileExists(const char* name) const {
    const char* path = name != nullptr ? name : iniPath;
    return path[0] != '\0' && platform::fileAttributes(path).exists;
}

bool ProfileStore::SetSection(const char* name) {
    std::strcpy(section, kDefaultSection);
    if (name == nullptr) return true;
    if (std::strlen(name) >= NameLimit) return false;
    std::strcpy(section, name);
    return true;
}

int ProfileStore::GetSection(char* buffer, int capacity) const {
    return copyText(buffer, capacity, section);
}

bool ProfileStore::SetRegistryPath(const char* base, const char* sub) {
    registryPath[0] = '\0';
    if (base == nullptr) return true;
    char path[2 * NameLimit + 2];
    const int length = (sub != nullptr && sub[0] != '\0')
                           ? std::snprintf(path, sizeof path, "%s\\%s", base, sub)
                           : std::snprintf(path, sizeof path, "%s", base);
    if (length < 0 || length >= NameLimit) return false;
    std::memcpy(registryPath, path, static_cast<std::size_t>(length) + 1);
    return true;
}

int ProfileStore::GetRegistryPath(char* buffer, int capacity) const {
    return copyText(buffer, capacity, registryPath);
}

const char* ProfileStore::sectionOr(const char* sectionName) const {
    return sectionName != nullptr ? sectionName : section;
}

std::int32_t ProfileStore::GetInt(const char* sectionName, const char* key, std::int32_t fallback) {
    lastError = Ok;
    if (!iniMode()) return regGetDword(sectionName, key, fallback);
    iniLookup(sectionName, key, nullptr, 0, valueBuffer, ValueCapacity);
    if (lastError != Ok) return fallback;
    return profile_text::leadingInt32(valueBuffer);
}

std::uint32_t ProfileStore::GetInt(const char* sectionName, const char* key,
                                   std::uint32_t fallback) {
    lastError = Ok;
    if (!iniMode())
        return static_cast<std::uint32_t>(
            regGetDword(sectionName, key, static_cast<std::int32_t>(fallback)));
    iniLookup(sectionName, key, nullptr, 0, valueBuffer, ValueCapacity);
    if (lastError != Ok) return fallback;
    return profile_text::leadingUint32(valueBuffer);
}

bool ProfileStore::SetInt(const char* sectionName, const char* key, std::int32_t value) {
    lastError = Ok;
    if (!iniMode()) return regWrite(sectionName, key, platform::RegDword, &value, sizeof value);
    std::snprintf(valueBuffer, sizeof valueBuffer, "%" PRId32, value);
    return iniWrite(sectionName, key, valueBuffer);
}

bool ProfileStore::SetInt(const char* sectionName, const char* key, std::uint32_t value) {
    lastError = Ok;
    if (!iniMode()) return regWrite(sectionName, key, platform::RegDword, &value, sizeof value);
    std::snprintf(valueBuffer, sizeof valueBuffer, "%" PRIu32, value);
    return iniWrite(sectionName, key, valueBuffer);
}

// Either text ("true"/"false", or a number) or, in the registry, a DWORD.
bool ProfileStore::GetBool(const char* sectionName, const char* key, bool fallback) {
    char word[6];
    const int length = GetString(sectionName, key, word, 5, "");
    if (length != 0) {
        if (length > 3 && ascii::equalIgnoringCase(word, "true", 5)) return true;
        if (length > 3 && ascii::equalIgnoringCase(word, "false", 6)) return false;
        return profile_text::leadingInt32(word) != 0;
    }
    if (iniMode()) return fallback;
    lastError = Ok;
    return regGetDword(sectionName, key, fallback ? 1 : 0) != 0;
}

bool ProfileStore::SetBool(const char* sectionName, const char* key, bool value) {
    return SetInt(sectionName, key, static_cast<std::int32_t>(value ? 1 : 0));
}

int ProfileStore::GetString(const char* sectionName, const char* key, char* buffer, int capacity,
                            const char* fallback) {
    lastError = Ok;
    if (buffer == nullptr || capacity < 0) return 0;
    const int fallbackLength = copyText(buffer, capacity, fallback);
    const int length = iniMode() ? iniLookup(sectionName, key, nullptr, 0, buffer, capacity)
                                 : regGetString(sectionName, key, buffer, capacity);
    return lastError == Ok ? length : fallbackLength;
}

const char* ProfileStore::GetString(const char* sectionName, const char* key,
                                    const char* fallback) {
    GetString(sectionName, key, resultBuffer, ValueCapacity, fallback);
    return resultBuffer;
}

bool ProfileStore::SetString(const char* sectionName, const char* key, const char* value) {
    lastError = Ok;
    if (value == nullptr) value = "";
    if (iniMode()) return iniWrite(sectionName, key, value);
    return regWrite(sectionName, key, platform::RegSz, value,
                    static_cast<std::uint32_t>(std::strlen(value)));
}

// The lookup runs even with no room for a byte, so lastError and the line numbers always tell
// about this call.
int ProfileStore::GetBinary(const char* sectionName, const char* key, void* buffer, int capacity,
                            const void* fallback) {
    lastError = Ok;
    if (buffer == nullptr || capacity < 0) capacity = 0;
    if (fallback != nullptr && capacity > 0)
        std::memmove(buffer, fallback, static_cast<std::size_t>(capacity));
    int count = 0;
    if (iniMode()) {
        iniLookup(sectionName, key, nullptr, 0, valueBuffer, ValueCapacity);
        if (lastError == Ok && capacity > 0)
            count =
                profile_text::decodeHex(valueBuffer, static_cast<std::uint8_t*>(buffer), capacity);
    } else {
        count = regGetBinary(sectionName, key, buffer, capacity);
    }
    if (lastError != Ok) return fallback != nullptr ? capacity : 0;
    return count;
}

bool ProfileStore::SetBinary(const char* sectionName, const char* key, const void* data,
                             int length) {
    lastError = Ok;
    if (length < 0 || (data == nullptr && length > 0)) length = 0;
    if (!iniMode()) {
        const auto size = length < ValueCapacity ? length : ValueCapacity;
        return regWrite(sectionName, key, platform::RegBinary, data,
                        static_cast<std::uint32_t>(size));
    }
    profile_text::encodeHex(static_cast<const std::uint8_t*>(data), length, valueBuffer,
                            sizeof valueBuffer);
    return iniWrite(sectionName, key, valueBuffer);
}

bool ProfileStore::DeleteKey(const char* sectionName, const char* key) {
    lastError = Ok;
    return iniMode() ? iniDeleteKey(sectionName, key) : regDeleteKey(sectionName, key);
}

bool ProfileStore::DeleteSection(const char* sectionName) {
    lastError = Ok;
    return iniMode() ? iniDeleteSection(sectionName) : regDeleteSection(sectionName);
}

int ProfileStore::EnumSections(int index, const char* pattern, char* buffer, int capacity) {
    lastError = Ok;
    if (buffer == nullptr || capacity < 0) return 0;
    buffer[0] = '\0';
    if (pattern == nullptr) pattern = "*";
    return iniMode() ? iniEnumSections(index, pattern, buffer, capacity)
                     : regEnumSections(index, pattern, buffer, capacity);
}

int ProfileStore::EnumKeys(int index, const char* sectionName, const char* pattern, char* buffer,
                           int capacity) {
    lastError = Ok;
    if (buffer == nullptr || capacity < 0) return 0;
    buffer[0] = '\0';
    if (pattern == nullptr) pattern = "*";
    if (iniMode()) return iniLookup(sectionName, nullptr, pattern, index, buffer, capacity);
    return regEnumKeys(index, sectionName, pattern, buffer, capacity);
}

namespace {

bool sameChar(char a, char b, bool caseSensitive) {
    return caseSensitive ? a == b : ascii::toLower(a) == ascii::toLower(b);
}

// The whole name must be consumed; "*" matches any run, "?" any one character. Greedy, going
// back only to the latest "*": an earlier "*" never needs to take more, because the latest one
// can take it instead. So the time is at most name length times pattern length.
bool matchWhole(const char* name, int length, const char* pattern, bool caseSensitive) {
    int at = 0;
    const char* p = pattern;
    const char* star = nullptr; // the pattern just after the latest "*"
    int starAt = 0;             // where the name stood when that "*" took nothing
    while (at < length) {
        if (*p == '*') {
            star = ++p;
            starAt = at;
        } else if (*p != '\0' && (*p == '?' || sameChar(*p, name[at], caseSensitive))) {
            ++p;
            ++at;
        } else if (star != nullptr) {
            p = star;
            at = ++starAt;
        } else {
            return false;
        }
    }
    while (*p == '*')
        ++p;
    return *p == '\0';
}

} // namespace

std::int32_t ProfileStore::MatchPattern(const char* name, int length, const char* pattern,
                                        bool caseSensitive) {
    if (name == nullptr || pattern == nullptr || length < 0) return -1;
    if (!matchWhole(name, length, pattern, caseSensitive)) return -1;
    const std::int32_t last = length > 0 ? (length - 1 < 0x7FFFF ? length - 1 : 0x7FFFF) : 0;
    return last << 12;
}

std::int32_t ProfileStore::MatchPattern(const char* name, const char* pattern, bool caseSensitive) {
    if (name == nullptr) return -1;
    return MatchPattern(name, static_cast<int>(std::strlen(name)), pattern, caseSensitive);
}

} // namespace gb
