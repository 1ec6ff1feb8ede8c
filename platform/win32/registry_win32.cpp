#include "platform/registry.h"

#include <windows.h>

#include <cstring>

namespace gb::platform {

namespace {

HKEY hkey(RegistryKey key) {
    return static_cast<HKEY>(key);
}

} // namespace

// Predefined keys are 32-bit values sign-extended to the pointer width.
RegistryKey registryRoot(std::uint32_t predefined) {
    return reinterpret_cast<RegistryKey>(
        static_cast<LONG_PTR>(static_cast<LONG>(static_cast<ULONG>(predefined))));
}

std::int32_t regOpenKey(RegistryKey parent, const char* path, RegistryKey* key) {
    HKEY opened = nullptr;
    const LONG code = RegOpenKeyA(hkey(parent), path, &opened);
    *key = code == ERROR_SUCCESS ? opened : nullptr;
    return code;
}

std::int32_t regOpenKeyEx(RegistryKey parent, const char* path, std::uint32_t access,
                          RegistryKey* key) {
    HKEY opened = nullptr;
    const LONG code = RegOpenKeyExA(hkey(parent), path, 0, access, &opened);
    *key = code == ERROR_SUCCESS ? opened : nullptr;
    return code;
}

std::int32_t regCreateKey(RegistryKey parent, const char* path, RegistryKey* key) {
    HKEY opened = nullptr;
    const LONG code = RegCreateKeyA(hkey(parent), path, &opened);
    *key = code == ERROR_SUCCESS ? opened : nullptr;
    return code;
}

std::int32_t regCloseKey(RegistryKey key) {
    return RegCloseKey(hkey(key));
}

std::int32_t regQueryValue(RegistryKey key, const char* name, std::uint32_t* type, void* data,
                           std::uint32_t* size) {
    DWORD valueType = 0;
    DWORD bytes = size != nullptr ? *size : 0;
    const LONG code =
        RegQueryValueExA(hkey(key), name, nullptr, &valueType, static_cast<BYTE*>(data),
                         size != nullptr ? &bytes : nullptr);
    if (type != nullptr) *type = valueType;
    if (size != nullptr) *size = bytes;
    return code;
}

std::int32_t regSetValue(RegistryKey key, const char* name, std::uint32_t type, const void* data,
                         std::uint32_t size) {
    return RegSetValueExA(hkey(key), name, 0, type, static_cast<const BYTE*>(data), size);
}

std::int32_t regSetText(RegistryKey key, const char* name, std::uint32_t type, const char* text) {
    return RegSetValueExA(hkey(key), name, 0, type, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::strlen(text)));
}

std::int32_t regDeleteValue(RegistryKey key, const char* name) {
    return RegDeleteValueA(hkey(key), name);
}

std::int32_t regEnumKey(RegistryKey key, std::uint32_t index, char* name, std::uint32_t capacity) {
    return RegEnumKeyA(hkey(key), index, name, capacity);
}

std::int32_t regEnumKeyEx(RegistryKey key, std::uint32_t index, char* name, std::uint32_t* length) {
    DWORD chars = *length;
    const LONG code =
        RegEnumKeyExA(hkey(key), index, name, &chars, nullptr, nullptr, nullptr, nullptr);
    *length = chars;
    return code;
}

std::int32_t regEnumValue(RegistryKey key, std::uint32_t index, char* name, std::uint32_t* length) {
    DWORD chars = *length;
    const LONG code =
        RegEnumValueA(hkey(key), index, name, &chars, nullptr, nullptr, nullptr, nullptr);
    *length = chars;
    return code;
}

std::int32_t regDeleteKey(RegistryKey parent, const char* path) {
    return RegDeleteKeyA(hkey(parent), path);
}

} // namespace gb::platform
