#pragma once
// What the three definition editors share: the element box (the catalogue's unbound elements of
// one kind, or the one element being modified), the numbered drop-down lists, the "Input error"
// reports of their checks and taking the chosen element into the Definition.

#include "cockpit/definition_list.h"
#include "cockpit/element_catalog.h"
#include "ui/framework/dialog.h"

#include <cstdint>
#include <string>

namespace gb::ui {

// The part of the catalogue an add offers: all of it for an empty group name, else the entries
// of the first group whose name equals it exactly (case included); [begin, end), empty when the
// group does not exist.
struct CatalogRange {
    int begin = 0;
    int end = 0;
};
CatalogRange scanRange(const CatalogEntry* catalog, const char* groupName);

// Fills the element box. In add mode: every unbound entry of `kind` in entry.groupName's range
// (the box sorts them), nothing selected; the count offered. In modify mode: the entry's element,
// selected; 1.
int fillElementBox(const ComboBox& box, const CatalogEntry* catalog, const Definition& entry,
                   bool addMode, std::int32_t kind);

// The catalogue position the element box offered under `name` in add mode: the first unbound
// entry of `kind` with exactly that name in entry.groupName's range; -1 when there is none.
int findOffered(const CatalogEntry* catalog, const char* groupName, std::int32_t kind,
                const std::string& name);

// Sets groupName, elementName and elementIndex of d from the catalogue entry at `pos`.
void takeElement(Definition& d, const CatalogEntry* catalog, int pos);

// OK in add mode: binds d to the element the box offered under `name` (findOffered, takeElement).
// False, after telling the user, when there is none.
bool takeOfferedElement(Dialog& dialog, Definition& d, const CatalogEntry* catalog,
                        std::int32_t kind, const std::string& name);

// "%03d" and "%d" of a number, as the drop-down lists show numbers.
std::string threeDigits(int n);
std::string decimal(int n);

// Fills a drop-down list with threeDigits (or decimal) of first..last.
void fillNumbers(const ComboBox& box, int first, int last, bool padded);

// The selected entry's text read as a decimal number; -1 when nothing is selected.
int selectedNumber(const ComboBox& box);

// Reports a failed check ("Input error", exclamation) and moves the focus to the control.
void inputError(Dialog& dialog, const char* text, int controlId);

// The shared checks' first steps after reading the fields: an element and a first number chosen.
bool checkSelected(Dialog& dialog, int controlId, const char* message);

// The editors' message when nothing is left to add.
void reportNothingToAdd(Dialog& dialog);

} // namespace gb::ui
