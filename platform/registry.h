#pragma once
// The Windows registry below a predefined root key, as a thin layer over the Reg* calls. Results
// are the system's own error codes (0 success). The native build keeps a file-backed stand-in with
// the same semantics: key and value names ignore case, sub-keys and values enumerate in name
// order, and every change reaches the disk whole or not at all.

#include <cstdint>

namespace gb::platform {

// An open key or a predefined root; null means "not open".
using RegistryKey = void*;

constexpr std::uint32_t HkeyCurrentUser = 0x80000001;

constexpr std::uint32_t RegSz = 1;
constexpr std::uint32_t RegExpandSz = 2;
constexpr std::uint32_t RegBinary = 3;
constexpr std::uint32_t RegDword = 4;

constexpr std::int32_t RegSuccess = 0;
constexpr std::int32_t RegFileNotFound = 2;
constexpr std::int32_t RegInvalidHandle = 6;
constexpr std::int32_t RegInvalidParameter = 87;
constexpr std::int32_t RegMoreData = 234;
constexpr std::int32_t RegNoMoreItems = 259;
constexpr std::int32_t RegBadDb = 1009;
constexpr std::int32_t RegBadKey = 1010;
constexpr std::int32_t RegCantWrite = 1013;
constexpr std::int32_t RegKeyDeleted = 1018;

// Access for opening a key whose tree is to be deleted: enumerate sub-keys and delete.
constexpr std::uint32_t RegAccessEnumerateAndDelete = 0x10008;

// The handle of a predefined root key such as HkeyCurrentUser (a 32-bit value on every build).
RegistryKey registryRoot(std::uint32_t predefined);

// RegOpenKeyA: opens parent\path; an empty or null path opens parent itself.
std::int32_t regOpenKey(RegistryKey parent, const char* path, RegistryKey* key);
// RegOpenKeyExA with the given access mask.
std::int32_t regOpenKeyEx(RegistryKey parent, const char* path, std::uint32_t access,
                          RegistryKey* key);
// RegCreateKeyA: opens parent\path, creating it and any missing parents.
std::int32_t regCreateKey(RegistryKey parent, const char* path, RegistryKey* key);
// RegCloseKey; closing a predefined root does nothing.
std::int32_t regCloseKey(RegistryKey key);

// RegQueryValueExA. With data null only *type and *size are filled; a buffer smaller than the
// data gives RegMoreData and the needed size in *size. Null or empty name: the key's default value.
std::int32_t regQueryValue(RegistryKey key, const char* name, std::uint32_t* type, void* data,
                           std::uint32_t* size);
// RegSetValueExA: stores `size` bytes of `data` with the given type. The stand-in stores exactly
// those bytes and never looks past them.
std::int32_t regSetValue(RegistryKey key, const char* name, std::uint32_t type, const void* data,
                         std::uint32_t size);
// RegSetValueExA for zero-terminated text: its characters are passed without their zero, which
// the system then stores with them because it follows them; empty text stores no byte.
std::int32_t regSetText(RegistryKey key, const char* name, std::uint32_t type, const char* text);
// RegDeleteValueA.
std::int32_t regDeleteValue(RegistryKey key, const char* name);

// RegEnumKeyA: the index-th sub-key's name into a buffer of `capacity` characters with its zero.
std::int32_t regEnumKey(RegistryKey key, std::uint32_t index, char* name, std::uint32_t capacity);
// RegEnumKeyExA: as regEnumKey; *length holds the capacity in, the name's length out.
std::int32_t regEnumKeyEx(RegistryKey key, std::uint32_t index, char* name, std::uint32_t* length);
// RegEnumValueA, names only: *length holds the capacity in, the name's length out.
std::int32_t regEnumValue(RegistryKey key, std::uint32_t index, char* name, std::uint32_t* length);

// RegDeleteKeyA: deletes parent\path, which must have no sub-keys.
std::int32_t regDeleteKey(RegistryKey parent, const char* path);

// Deletes parent\path and everything below it, deepest first. RegBadKey for an empty path.
std::int32_t regDeleteTree(RegistryKey parent, const char* path);

} // namespace gb::platform
