#include "platform/registry.h"

#include "platform/ascii.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// The native stand-in keeps HKEY_CURRENT_USER as one text file, HKEY_CURRENT_USER.reg, in
// $GLOWBRIDGE_REGISTRY_DIR, else $XDG_CONFIG_HOME/glowbridge/registry, else
// ~/.config/glowbridge/registry. Nothing is cached: every call reads the file, and every change
// rewrites it under an exclusive lock through a temporary file that is synced and renamed over
// the old one, so a crash leaves either the old tree or the new one.
//
// File layout, one record a line, names and paths with bytes outside '!'..'~' and '%' as %XX:
//   GLOWBRIDGE-REGISTRY 1
//   K <key path, components joined by '\'>      (the root is "K " with an empty path)
//   V <type> <data in hex, '-' when empty> <value name>
//   END
// A file without its END line is refused, never overwritten.

namespace gb::platform {

namespace {

constexpr std::int32_t kAccessDenied = 5;
constexpr std::size_t kMaxKeyName = 255;
constexpr const char* kMagic = "GLOWBRIDGE-REGISTRY 1";

struct Value {
    std::string name;
    std::uint32_t type = 0;
    std::string data;
};

struct Key {
    std::string name;
    std::vector<Key> keys;
    std::vector<Value> values;
};

struct Handle {
    std::vector<std::string> path;
};

Handle currentUserRoot;

bool sameName(const std::string& a, const std::string& b) {
    return ascii::equalIgnoringCase(a, b);
}

bool nameBefore(const std::string& a, const std::string& b) {
    return ascii::compareIgnoringCase(a, b) < 0;
}

template <class T> T* findNamed(std::vector<T>& list, const std::string& name) {
    for (T& item : list)
        if (sameName(item.name, name)) return &item;
    return nullptr;
}

// Inserts in name order, ignoring case, as the registry enumerates.
template <class T> T& insertNamed(std::vector<T>& list, T item) {
    auto at = std::find_if(list.begin(), list.end(),
                           [&](const T& other) { return nameBefore(item.name, other.name); });
    return *list.insert(at, std::move(item));
}

std::string storeFolder() {
    if (const char* dir = std::getenv("GLOWBRIDGE_REGISTRY_DIR"); dir != nullptr && *dir != '\0')
        return dir;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0')
        return std::string(xdg) + "/glowbridge/registry";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.config/glowbridge/registry";
}

std::string storeFile() {
    return storeFolder() + "/HKEY_CURRENT_USER.reg";
}

bool makeFolders(const std::string& path) {
    for (std::size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/') continue;
        const std::string part = path.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

std::string encode(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (c <= ' ' || c >= 0x7F || c == '%') {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool decodeHexPairs(const std::string& text, std::string& out) {
    if (text.size() % 2 != 0) return false;
    out.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = ascii::hexDigitValue(text[i]), low = ascii::hexDigitValue(text[i + 1]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
    }
    return true;
}

bool decode(const std::string& text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        std::string byte;
        if (i + 2 >= text.size() || !decodeHexPairs(text.substr(i + 1, 2), byte)) return false;
        out += byte;
        i += 2;
    }
    return true;
}

// Splits a key path at '\'. A trailing '\' is allowed; empty or overlong components are not.
bool splitPath(const char* path, std::vector<std::string>& parts) {
    parts.clear();
    if (path == nullptr) return true;
    std::string part;
    for (const char* p = path;; ++p) {
        if (*p == '\\' || *p == '\0') {
            if (part.empty() && !(*p == '\0' && (p == path || p[-1] == '\\'))) return false;
            if (part.size() > kMaxKeyName) return false;
            if (!part.empty()) parts.push_back(part);
            part.clear();
            if (*p == '\0') return true;
        } else {
            part += *p;
        }
    }
}

std::int32_t load(Key& root) {
    root = Key{};
    std::FILE* file = std::fopen(storeFile().c_str(), "rb");
    if (file == nullptr) return errno == ENOENT ? RegSuccess : RegBadDb;
    std::string text;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    const bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError) return RegBadDb;

    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) return RegBadDb;
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (lines.size() < 2 || lines.front() != kMagic || lines.back() != "END") return RegBadDb;

    Key* current = nullptr;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.rfind("K ", 0) == 0) {
            std::string path;
            if (!decode(line.substr(2), path)) return RegBadDb;
            std::vector<std::string> parts;
            if (!splitPath(path.c_str(), parts)) return RegBadDb;
            current = &root;
            for (const std::string& part : parts) {
                Key* next = findNamed(current->keys, part);
                current = next != nullptr ? next : &insertNamed(current->keys, Key{part, {}, {}});
            }
        } else if (line.rfind("V ", 0) == 0 && current != nullptr) {
            const std::size_t typeEnd = line.find(' ', 2);
            const std::size_t dataEnd =
                typeEnd == std::string::npos ? typeEnd : line.find(' ', typeEnd + 1);
            if (dataEnd == std::string::npos) return RegBadDb;
            Value value;
            value.type = static_cast<std::uint32_t>(
                std::strtoul(line.substr(2, typeEnd - 2).c_str(), nullptr, 10));
            const std::string data = line.substr(typeEnd + 1, dataEnd - typeEnd - 1);
            if (data != "-" && !decodeHexPairs(data, value.data)) return RegBadDb;
            if (!decode(line.substr(dataEnd + 1), value.name)) return RegBadDb;
            insertNamed(current->values, std::move(value));
        } else {
            return RegBadDb;
        }
    }
    return RegSuccess;
}

void serialise(const Key& key, const std::string& path, std::string& out) {
    static const char hex[] = "0123456789ABCDEF";
    out += "K " + encode(path) + "\n";
    for (const Value& value : key.values) {
        out += "V ";
        out += std::to_string(value.type);
        out += ' ';
        if (value.data.empty()) out += "-";
        for (unsigned char c : value.data) {
            out += hex[c >> 4];
            out += hex[c & 15];
        }
        out += ' ';
        out += encode(value.name);
        out += '\n';
    }
    for (const Key& sub : key.keys)
        serialise(sub, path.empty() ? sub.name : path + "\\" + sub.name, out);
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Temporary file, fsync, rename over the old file, fsync of the folder: the rename is the commit.
std::int32_t save(const Key& root) {
    std::string text = std::string(kMagic) + "\n";
    serialise(root, "", text);
    text += "END\n";
    const std::string target = storeFile();
    const std::string temporary = target + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return RegCantWrite;
    const bool written = writeAll(fd, text) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || std::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return RegCantWrite;
    }
    const int folder = ::open(storeFolder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return RegSuccess;
}

// Serialises read-modify-write cycles between processes; released when the object goes away.
class WriteLock {
public:
    explicit WriteLock(bool wanted = true) {
        if (!wanted || !makeFolders(storeFolder())) return;
        fd_ = ::open((storeFolder() + "/.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~WriteLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

Key* walk(Key& from, const std::vector<std::string>& parts) {
    Key* key = &from;
    for (const std::string& part : parts) {
        key = findNamed(key->keys, part);
        if (key == nullptr) return nullptr;
    }
    return key;
}

// The key a handle stands for in a freshly loaded tree; RegKeyDeleted once it is gone.
std::int32_t resolve(Key& root, RegistryKey handle, Key** key) {
    if (handle == nullptr) return RegInvalidHandle;
    *key = walk(root, static_cast<Handle*>(handle)->path);
    return *key != nullptr ? RegSuccess : RegKeyDeleted;
}

// Reads the whole tree and finds the handle's key in it: the start of every operation.
std::int32_t loadKey(Key& root, RegistryKey handle, Key** key) {
    const std::int32_t code = load(root);
    return code == RegSuccess ? resolve(root, handle, key) : code;
}

std::int32_t openOrCreate(RegistryKey parent, const char* path, bool create, RegistryKey* out) {
    *out = nullptr;
    std::vector<std::string> parts;
    if (parent == nullptr) return RegInvalidHandle;
    if (!splitPath(path, parts)) return RegInvalidParameter;
    WriteLock lock(create);
    if (create && !lock.held()) return RegCantWrite;
    Key root;
    Key* key = nullptr;
    std::int32_t code = loadKey(root, parent, &key);
    if (code != RegSuccess) return code;
    std::vector<std::string> full = static_cast<Handle*>(parent)->path;
    bool created = false;
    for (const std::string& part : parts) {
        Key* next = findNamed(key->keys, part);
        if (next == nullptr) {
            if (!create) return RegFileNotFound;
            next = &insertNamed(key->keys, Key{part, {}, {}});
            created = true;
        }
        full.push_back(next->name);
        key = next;
    }
    if (created && (code = save(root)) != RegSuccess) return code;
    *out = new Handle{full};
    return RegSuccess;
}

} // namespace

RegistryKey registryRoot(std::uint32_t predefined) {
    return predefined == HkeyCurrentUser ? &currentUserRoot : nullptr;
}

std::int32_t regOpenKey(RegistryKey parent, const char* path, RegistryKey* key) {
    return openOrCreate(parent, path, false, key);
}

std::int32_t regOpenKeyEx(RegistryKey parent, const char* path, std::uint32_t, RegistryKey* key) {
    return openOrCreate(parent, path, false, key);
}

std::int32_t regCreateKey(RegistryKey parent, const char* path, RegistryKey* key) {
    return openOrCreate(parent, path, true, key);
}

std::int32_t regCloseKey(RegistryKey key) {
    if (key == nullptr) return RegInvalidHandle;
    if (key != &currentUserRoot) delete static_cast<Handle*>(key);
    return RegSuccess;
}

std::int32_t regQueryValue(RegistryKey handle, const char* name, std::uint32_t* type, void* data,
                           std::uint32_t* size) {
    if (data != nullptr && size == nullptr) return RegInvalidParameter;
    Key root;
    Key* key = nullptr;
    std::int32_t code = loadKey(root, handle, &key);
    if (code != RegSuccess) return code;
    const Value* value = findNamed(key->values, name != nullptr ? name : "");
    if (value == nullptr) return RegFileNotFound;
    if (type != nullptr) *type = value->type;
    if (size == nullptr) return RegSuccess;
    const auto bytes = static_cast<std::uint32_t>(value->data.size());
    if (data != nullptr && *size < bytes)
        code = RegMoreData;
    else if (data != nullptr)
        std::memcpy(data, value->data.data(), bytes);
    *size = bytes;
    return code;
}

std::int32_t regSetValue(RegistryKey handle, const char* name, std::uint32_t type, const void* data,
                         std::uint32_t size) {
    if (data == nullptr && size != 0) return RegInvalidParameter;
    WriteLock lock;
    if (!lock.held()) return RegCantWrite;
    Key root;
    Key* key = nullptr;
    std::int32_t code = loadKey(root, handle, &key);
    if (code != RegSuccess) return code;
    const std::string valueName = name != nullptr ? name : "";
    Value* value = findNamed(key->values, valueName);
    if (value == nullptr) value = &insertNamed(key->values, Value{valueName, type, {}});
    value->type = type;
    value->data.assign(static_cast<const char*>(data), size);
    return save(root);
}

// RegSetValueExA keeps the zero that follows a string's characters; programs rely on reading it
// back. Text is zero-terminated, so that zero is the caller's own byte.
std::int32_t regSetText(RegistryKey handle, const char* name, std::uint32_t type,
                        const char* text) {
    if (text == nullptr) return RegInvalidParameter;
    const std::size_t length = std::strlen(text);
    return regSetValue(handle, name, type, text,
                       static_cast<std::uint32_t>(length > 0 ? length + 1 : 0));
}

std::int32_t regDeleteValue(RegistryKey handle, const char* name) {
    WriteLock lock;
    if (!lock.held()) return RegCantWrite;
    Key root;
    Key* key = nullptr;
    std::int32_t code = loadKey(root, handle, &key);
    if (code != RegSuccess) return code;
    const std::string valueName = name != nullptr ? name : "";
    auto at = std::find_if(key->values.begin(), key->values.end(),
                           [&](const Value& v) { return sameName(v.name, valueName); });
    if (at == key->values.end()) return RegFileNotFound;
    key->values.erase(at);
    return save(root);
}

namespace {

template <class List>
std::int32_t enumerate(RegistryKey handle, std::uint32_t index, char* name, std::uint32_t* length,
                       List Key::*list) {
    Key root;
    Key* key = nullptr;
    std::int32_t code = loadKey(root, handle, &key);
    if (code != RegSuccess) return code;
    const auto& items = key->*list;
    if (index >= items.size()) return RegNoMoreItems;
    const std::string& found = items[index].name;
    if (name == nullptr || *length <= found.size()) return RegMoreData;
    std::memcpy(name, found.c_str(), found.size() + 1);
    *length = static_cast<std::uint32_t>(found.size());
    return RegSuccess;
}

} // namespace

std::int32_t regEnumKey(RegistryKey key, std::uint32_t index, char* name, std::uint32_t capacity) {
    return enumerate(key, index, name, &capacity, &Key::keys);
}

std::int32_t regEnumKeyEx(RegistryKey key, std::uint32_t index, char* name, std::uint32_t* length) {
    return enumerate(key, index, name, length, &Key::keys);
}

std::int32_t regEnumValue(RegistryKey key, std::uint32_t index, char* name, std::uint32_t* length) {
    return enumerate(key, index, name, length, &Key::values);
}

std::int32_t regDeleteKey(RegistryKey parent, const char* path) {
    std::vector<std::string> parts;
    if (!splitPath(path, parts) || parts.empty()) return RegBadKey;
    WriteLock lock;
    if (!lock.held()) return RegCantWrite;
    Key root;
    Key* key = nullptr;
    std::int32_t code = loadKey(root, parent, &key);
    if (code != RegSuccess) return code;
    const std::string last = parts.back();
    parts.pop_back();
    Key* owner = walk(*key, parts);
    Key* target = owner != nullptr ? findNamed(owner->keys, last) : nullptr;
    if (target == nullptr) return RegFileNotFound;
    if (!target->keys.empty()) return kAccessDenied;
    owner->keys.erase(owner->keys.begin() + (target - owner->keys.data()));
    return save(root);
}

} // namespace gb::platform
