#include "platform/registry.h"

namespace gb::platform {

// Written over the primitives so both backends delete a tree the same way: always sub-key 0,
// because deleting it shifts the next one into its place.
std::int32_t regDeleteTree(RegistryKey parent, const char* path) {
    if (path == nullptr || path[0] == '\0') return RegBadKey;
    RegistryKey key = nullptr;
    std::int32_t code = regOpenKeyEx(parent, path, RegAccessEnumerateAndDelete, &key);
    if (code != RegSuccess) return code;
    for (;;) {
        char name[260];
        std::uint32_t length = sizeof name;
        code = regEnumKeyEx(key, 0, name, &length);
        if (code == RegNoMoreItems) {
            code = regDeleteKey(parent, path);
            break;
        }
        if (code != RegSuccess) break;
        code = regDeleteTree(key, name);
        if (code != RegSuccess) break;
    }
    regCloseKey(key);
    return code;
}

} // namespace gb::platform
