#pragma once
// The names of the cockpit elements: the vocabulary of the definition file (groups are sections,
// elements are keys) and of the definition dialogs.

#include <cstdint>
#include <vector>

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

// Queries by position, in catalogue order, for the dialogs and tools: how the table marks groups
// and its end stays in here. Each takes the catalogue to walk (the program's by default), which
// must end like ElementCatalog.
constexpr std::int32_t kAnyKind = -1;

// The first entry of every group of elements of `kind` (kAnyKind: of every group).
std::vector<int> groupsOfKind(std::int32_t kind, const CatalogEntry* catalog = ElementCatalog);

// The elements of the group that starts at `groupPos`; none when groupPos is not a group's first
// entry.
std::vector<int> elementsOfGroup(int groupPos, const CatalogEntry* catalog = ElementCatalog);

// Every element.
std::vector<int> allElements(const CatalogEntry* catalog = ElementCatalog);

// The elements still free to bind: of `kind`, not marked seen, of the group whose name equals
// `groupName` exactly, or of every group when it is empty (or null). A name that is no group's
// gives none.
std::vector<int> unboundElements(std::int32_t kind, const char* groupName,
                                 const CatalogEntry* catalog = ElementCatalog);

// The element bound to the table row `elementIndex`, or -1.
int findElementIndex(std::int32_t elementIndex, const CatalogEntry* catalog = ElementCatalog);

} // namespace gb
