#include "ui/dialogs/editor_support.h"

#include "ui/dialog_ids.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace gb::ui {

namespace {

bool isEnd(const CatalogEntry& e) {
    return e.elementName == nullptr || e.elementName[0] == '\0';
}

bool startsGroup(const CatalogEntry& e) {
    return e.groupName != nullptr && e.groupName[0] != '\0';
}

bool offered(const CatalogEntry& e, std::int32_t kind) {
    return e.kind == kind && e.seen != 1;
}

} // namespace

CatalogRange scanRange(const CatalogEntry* catalog, const char* groupName) {
    CatalogRange r;
    if (catalog == nullptr) return r;
    int n = 0;
    while (!isEnd(catalog[n]))
        ++n;
    if (groupName == nullptr || groupName[0] == '\0') {
        r.end = n;
        return r;
    }
    int first = 0;
    while (first < n && !(catalog[first].groupName != nullptr &&
                          std::strcmp(catalog[first].groupName, groupName) == 0))
        ++first;
    if (first == n) return r;
    int last = first + 1;
    while (last < n &&
           !(startsGroup(catalog[last]) && std::strcmp(catalog[last].groupName, groupName) != 0))
        ++last;
    r.begin = first;
    r.end = last;
    return r;
}

int fillElementBox(const ComboBox& box, const CatalogEntry* catalog, const Definition& entry,
                   bool addMode, std::int32_t kind) {
    box.ResetContent();
    if (!addMode) {
        box.SetCurSel(box.AddString(entry.elementName != nullptr ? entry.elementName : ""));
        return 1;
    }
    const CatalogRange r = scanRange(catalog, entry.groupName);
    int count = 0;
    for (int i = r.begin; i < r.end; ++i) {
        if (!offered(catalog[i], kind)) continue;
        box.AddString(catalog[i].elementName);
        ++count;
    }
    return count;
}

int findOffered(const CatalogEntry* catalog, const char* groupName, std::int32_t kind,
                const std::string& name) {
    const CatalogRange r = scanRange(catalog, groupName);
    for (int i = r.begin; i < r.end; ++i) {
        if (offered(catalog[i], kind) && name == catalog[i].elementName) return i;
    }
    return -1;
}

void takeElement(Definition& d, const CatalogEntry* catalog, int pos) {
    int group = pos;
    while (group > 0 && !startsGroup(catalog[group]))
        --group;
    d.groupName = catalog[group].groupName != nullptr ? catalog[group].groupName : "";
    d.elementName = catalog[pos].elementName;
    d.elementIndex = catalog[pos].elementIndex;
}

bool takeOfferedElement(Dialog& dialog, Definition& d, const CatalogEntry* catalog,
                        std::int32_t kind, const std::string& name) {
    const int pos = findOffered(catalog, d.groupName, kind, name);
    if (pos < 0) {
        inputError(dialog, "You must define an element!", IDC_ELEMENT);
        return false;
    }
    takeElement(d, catalog, pos);
    return true;
}

std::string threeDigits(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d", n);
    return text;
}

std::string decimal(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", n);
    return text;
}

void fillNumbers(const ComboBox& box, int first, int last, bool padded) {
    for (int n = first; n <= last; ++n)
        box.AddString(padded ? threeDigits(n) : decimal(n));
}

int selectedNumber(const ComboBox& box) {
    if (box.GetCurSel() < 0) return -1;
    return static_cast<int>(std::strtol(box.GetSelectedText().c_str(), nullptr, 10));
}

void inputError(Dialog& dialog, const char* text, int controlId) {
    dialog.MessageBox(text, "Input error", platform::MbOk | platform::MbIconWarning);
    dialog.GotoDlgCtrl(controlId);
}

bool checkSelected(Dialog& dialog, int controlId, const char* message) {
    if (dialog.GetComboBox(controlId).GetCurSel() >= 0) return true;
    inputError(dialog, message, controlId);
    return false;
}

void reportNothingToAdd(Dialog& dialog) {
    dialog.MessageBox("No more entries to add!", "Information", platform::MbOk);
}

} // namespace gb::ui
