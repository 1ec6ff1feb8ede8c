#pragma once
// The names of the cockpit elements: the vocabulary of the definition file (groups are sections,
// elements are keys) and of the definition dialogs.

#include <cstdint>

namespace gb {

struct CatalogEntry {
    // Only a group's first entry holds the group name; the others hold "" (never null).
    const char* groupName;
    // "" marks the terminator.
    const char* elementName;
    // Set to 1 once the definition file binds the element; the editors offer only unseen ones.
    std::uint8_t seen;
    std::int32_t kind;         // CatalogFlag or CatalogValue
    std::int32_t elementIndex; // row of the ElementTable
};

enum : std::int32_t {
    CatalogFlag = 0,
    CatalogValue = 1,
};

constexpr int kCatalogElements = 159;
constexpr int kCatalogGroups = 17;
// The elements plus the terminator.
constexpr int kCatalogEntries = kCatalogElements + 1;

// Group by group; lookups and dialogs see the elements in this order. Only `seen` changes.
extern CatalogEntry ElementCatalog[kCatalogEntries];

// Position of the group's first entry, the name compared without regard to ASCII case; -1 when
// there is no such group (or name is null).
int findGroup(const char* name);

// Position of the element named `key` (ASCII case ignored) within the group starting at
// `groupPos`; -1 when the group has no such element or groupPos is not a group's first entry.
int findElement(int groupPos, const char* key);

// Sets the entry's `seen` to 1; positions outside the elements are ignored.
void markSeen(int pos);

// Clears every `seen` byte. The program never does this; tests and tools that parse more than
// one definition file do.
void clearSeen();

// The group the entry at `pos` belongs to; "" for a position outside the catalogue.
const char* groupOf(int pos);

} // namespace gb
