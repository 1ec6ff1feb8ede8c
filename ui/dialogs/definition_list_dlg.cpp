#include "ui/dialogs/definition_list_dlg.h"

#include "platform/ascii.h"
#include "settings/profile_store.h"
#include "ui/dialog_ids.h"
#include "ui/dialogs/analog_data_dlg.h"
#include "ui/dialogs/ph_flag_dlg.h"
#include "ui/dialogs/qp_flag_dlg.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace gb::ui {

namespace {

constexpr const char kAllGroups[] = "All datas";

struct Column {
    const char* heading;
    int width;
};

struct ListLayout {
    const char* title;
    Column columns[5];
};

const ListLayout kLayouts[3] = {
    {" Configuration and testing flags over QProc",
     {{"Entry", 90}, {"QP# On", 55}, {"QP# Off", 55}, {nullptr, 0}, {nullptr, 0}}},
    {" Configuration and testing flags over Pigeon-holes",
     {{"Entry", 90}, {"PH#", 35}, {"ID", 25}, {"Bit", 40}, {nullptr, 0}}},
    {" Configuration and testing analog datas",
     {{"Entry", 90}, {"PH#", 35}, {"ID", 25}, {"Multipl.", 65}, {"Offset", 40}}},
};

std::string format(const char* pattern, int value) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// What the sort callback needs; it lives on the stack of the click's handler.
struct SortRequest {
    const DefinitionList* list;
    int key;
};

template <typename T> int order(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

// Compares two rows' records by the column key (1-based, negative: descending). The first
// record's form decides which fields the number columns mean.
int compareRows(ItemData first, ItemData second, ItemData param) {
    const auto* request = reinterpret_cast<const SortRequest*>(param);
    if (request == nullptr || request->list == nullptr) return 0;
    const Definition* a = request->list->at(static_cast<int>(first));
    const Definition* b = request->list->at(static_cast<int>(second));
    if (a == nullptr || b == nullptr) return 0;
    const DefinitionForm form = a->kind == DefinitionAnalog ? DefinitionForm::AnalogValue
                                : a->qpOn >= 0              ? DefinitionForm::QpFlag
                                                            : DefinitionForm::PhFlag;
    const int key = request->key < 0 ? -request->key : request->key;
    int result = 0;
    switch (key) {
    case 1:
        result = ascii::compareIgnoringCase(a->elementName, b->elementName);
        break;
    case 2:
        result = form == DefinitionForm::QpFlag ? order(a->qpOn, b->qpOn)
                                                : order(a->phNumber, b->phNumber);
        break;
    case 3:
        result = form == DefinitionForm::QpFlag ? order(a->qpOff, b->qpOff)
                                                : order(a->phByte, b->phByte);
        break;
    case 4:
        result = form == DefinitionForm::PhFlag ? order(a->bitMask, b->bitMask) : 0;
        break;
    default:
        break;
    }
    return request->key < 0 ? -result : result;
}

// Runs one editor over a copy of `entry` and takes the copy back on OK.
template <class Editor>
int runOneEditor(Editor& editor, Definition& entry, bool addMode, const CatalogEntry* catalog) {
    editor.addMode = addMode ? 1 : 0;
    editor.catalog = catalog;
    editor.entry = entry;
    const int result = editor.DoModal();
    if (result == platform::IdOk) entry = editor.entry;
    return result;
}

} // namespace

CDefinitionListDlg::CDefinitionListDlg(int kind, const DefinitionListContext& context,
                                       Dialog* parent)
    : Dialog(IDD_DEFINITION_LIST, parent), listKind(kind),
      entryKind(kind == QpFlags || kind == PhFlags ? DefinitionFlag : DefinitionAnalog),
      catalog(context.catalog), context_(context) {
    if (listKind != QpFlags && listKind != PhFlags) listKind = AnalogValues;
    OnNotify(IDC_DEFLIST_GROUP, Notify::SelectionChanged, [this](int) { fillRows(groupFilter()); });
    OnCommand(IDC_DEFLIST_ADD, [this] { onAdd(); });
    OnCommand(IDC_DEFLIST_MODIFY, [this] { onModify(); });
    OnCommand(IDC_DEFLIST_DELETE, [this] { onDelete(); });
    OnNotify(IDC_DEFLIST_VIEW, Notify::DoubleClicked, [this](int) { onModify(); });
    OnNotify(IDC_DEFLIST_VIEW, Notify::ColumnClicked, [this](int column) { onSort(column); });
}

bool CDefinitionListDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    ListView view = GetListView(IDC_DEFLIST_VIEW);
    view.SetExtendedStyle(LvGridLines | LvFullRowSelect, LvGridLines | LvFullRowSelect);
    const ListLayout& layout = kLayouts[listKind];
    SetWindowText(layout.title);
    for (int c = 0; c < 5 && layout.columns[c].heading != nullptr; ++c) {
        view.InsertColumn(c, layout.columns[c].heading,
                          c == 0 ? ColumnAlign::Left : ColumnAlign::Right, layout.columns[c].width);
    }

    ComboBox groups = GetComboBox(IDC_DEFLIST_GROUP);
    groups.AddString(kAllGroups);
    for (int pos : groupsOfKind(entryKind, catalog))
        groups.AddString(catalog[pos].groupName);
    groups.SetCurSel(0);

    rebuildPhUsage();
    for (bool& toggle : sortToggle)
        toggle = false;
    fillRows("");
    return true;
}

std::string CDefinitionListDlg::groupFilter() {
    ComboBox groups = GetComboBox(IDC_DEFLIST_GROUP);
    const int selection = groups.GetCurSel();
    return selection >= 1 ? groups.GetText(selection) : std::string();
}

void CDefinitionListDlg::fillRows(const std::string& filter) {
    ListView view = GetListView(IDC_DEFLIST_VIEW);
    view.DeleteAllItems();
    const DefinitionList& list = context_.definitions;
    for (int i = 0; i < list.count; ++i) {
        const Definition& d = *list.items[i];
        if (d.kind != entryKind) continue;
        if (!filter.empty() && filter != d.groupName) continue;
        if (listKind == QpFlags && d.qpOn < 0) continue;
        if (listKind == PhFlags && d.phNumber < 0) continue;
        const int row = view.InsertItem(view.GetItemCount(), d.elementName, i);
        setRowTexts(row, d);
    }
}

void CDefinitionListDlg::setRowTexts(int row, const Definition& d) {
    ListView view = GetListView(IDC_DEFLIST_VIEW);
    switch (listKind) {
    case QpFlags:
        view.SetItemText(row, 1, format("%03d", d.qpOn));
        view.SetItemText(row, 2, format("%03d", d.qpOff));
        break;
    case PhFlags:
        view.SetItemText(row, 1, format("%03d", d.phNumber));
        view.SetItemText(row, 2, format("%d", d.phByte));
        view.SetItemText(row, 3, format("%d", static_cast<int>(d.bitMask)));
        break;
    default: {
        view.SetItemText(row, 1, format("%03d", d.phNumber));
        view.SetItemText(row, 2, format("%d", d.phByte));
        char multi[400];
        std::snprintf(multi, sizeof multi, "%.6f", d.multi);
        view.SetItemText(row, 3, multi);
        view.SetItemText(row, 4, format("%d", d.offset));
        break;
    }
    }
}

int CDefinitionListDlg::runEditor(Definition& entry, bool addMode) {
    if (listKind == QpFlags) {
        CQpFlagDlg editor(context_.binding, this);
        return runOneEditor(editor, entry, addMode, catalog);
    }
    if (listKind == PhFlags) {
        CPhFlagDlg editor(context_.binding, this);
        return runOneEditor(editor, entry, addMode, catalog);
    }
    CAnalogDataDlg editor(context_.binding, this);
    editor.phUsage = phUsage;
    return runOneEditor(editor, entry, addMode, catalog);
}

// Rebuilt from the list after every change rather than patched: two definitions may share a
// byte, and only the list knows whether one is still left on it.
void CDefinitionListDlg::rebuildPhUsage() {
    std::memset(phUsage, 0, sizeof phUsage);
    const DefinitionList& list = context_.definitions;
    for (int i = 0; i < list.count; ++i) {
        const Definition& d = *list.items[i];
        if (d.phNumber >= 0 && d.phNumber <= 255 && d.phByte >= 0 && d.phByte <= 3)
            phUsage[d.phNumber] |= static_cast<std::uint8_t>(1U << d.phByte);
    }
}

void CDefinitionListDlg::widenPigeonHoles(const Definition& d) {
    if (d.phNumber < 0) return;
    DefinitionList& list = context_.definitions;
    if (d.phNumber < list.phLow) list.phLow = d.phNumber;
    if (d.phNumber > list.phHigh) list.phHigh = d.phNumber;
}

bool CDefinitionListDlg::writeLine(const Definition& d, const char* value, std::int32_t& error) {
    // Two 32000-character buffers: too much for the stack of a handler deep in modal loops.
    auto store = std::make_unique<ProfileStore>();
    const char* path = context_.definitionFile;
    if (path == nullptr || path[0] == '\0' || !store->SetIniFileExact(path)) {
        error = ProfileStore::NoIniFile;
        return false;
    }
    // The loader reads no further than a Ctrl-Z; a line behind one would be lost to it.
    store->SetCtrlZEndsText(true);
    const bool written = store->SetString(writeSectionOf(d), writeKeyOf(d), value);
    error = store->lastError;
    return written && error == ProfileStore::Ok;
}

void CDefinitionListDlg::reportWriteFailure(const Definition& d, std::int32_t error) {
    char text[600];
    std::snprintf(text, sizeof text,
                  "Can't write \"%s\" in section \"%s\" of \"%s\" (error %d)!\n"
                  "The change holds only until the program ends.",
                  writeKeyOf(d), writeSectionOf(d),
                  context_.definitionFile != nullptr ? context_.definitionFile : "",
                  static_cast<int>(error));
    MessageBox(text, "Definitionfile error", platform::MbOk | platform::MbIconWarning);
}

int CDefinitionListDlg::selectedRow() {
    return GetListView(IDC_DEFLIST_VIEW).GetNextSelected(-1);
}

void CDefinitionListDlg::onAdd() {
    const std::string filter = groupFilter();
    Definition entry;
    entry.kind = entryKind;
    // The editor compares the group by its text; the record must point at the catalogue's.
    if (!filter.empty()) {
        for (int pos : groupsOfKind(entryKind, catalog)) {
            if (filter == catalog[pos].groupName) entry.groupName = catalog[pos].groupName;
        }
    }
    if (runEditor(entry, true) != platform::IdOk) return;

    const std::string value = definitionValue(entry);
    // Written under the catalogue's spelling, like every line the program adds.
    entry.fileSection[0] = '\0';
    entry.fileKey[0] = '\0';
    entry.lastValue = 0;
    DefinitionList& list = context_.definitions;
    const int pos = list.addDefinition(entry, Window() != nullptr ? Window()->handle() : nullptr);
    if (pos < 0) return;
    widenPigeonHoles(entry);

    ListView view = GetListView(IDC_DEFLIST_VIEW);
    setRowTexts(view.InsertItem(view.GetItemCount(), entry.elementName, pos), entry);

    std::int32_t error = 0;
    const bool written = writeLine(entry, value.c_str(), error);
    // The element is bound now: the editors must not offer it a second time.
    const int element = findElementIndex(entry.elementIndex, catalog);
    if (element >= 0) catalog[element].seen = 1;
    rebuildPhUsage();
    if (!written) reportWriteFailure(entry, error);
}

void CDefinitionListDlg::onModify() {
    const int row = selectedRow();
    if (row < 0) return;
    const int i = static_cast<int>(GetListView(IDC_DEFLIST_VIEW).GetItemData(row));
    Definition* record = context_.definitions.at(i);
    if (record == nullptr) return;
    Definition entry = *record;
    if (runEditor(entry, false) != platform::IdOk) return;

    // The transfer cycle went on while the editor was open; what it sent last is its own.
    entry.lastValue = record->lastValue;
    *record = entry;
    widenPigeonHoles(*record);
    setRowTexts(row, *record);

    std::int32_t error = 0;
    const bool written = writeLine(*record, definitionValue(*record).c_str(), error);
    rebuildPhUsage();
    if (!written) reportWriteFailure(*record, error);
}

void CDefinitionListDlg::onDelete() {
    const int row = selectedRow();
    if (row < 0) return;
    ListView view = GetListView(IDC_DEFLIST_VIEW);
    const int i = static_cast<int>(view.GetItemData(row));
    const int rows = view.GetItemCount();
    DefinitionList& list = context_.definitions;
    if (list.at(i) == nullptr) return;

    char question[200];
    std::snprintf(question, sizeof question, "You will delete the \"%s\"-Entry?",
                  view.GetItemText(row, 0).c_str());
    if (MessageBox(question, "Question",
                   platform::MbYesNo | platform::MbIconWarning | platform::MbDefButton2) !=
        platform::IdYes)
        return;

    // The box ran a modal loop: take the record again rather than trust a pointer from before.
    const Definition deleted = *list.at(i);
    std::int32_t error = 0;
    const bool written = writeLine(deleted, kDeletedDefinitionValue, error);

    for (int r = 0; r < rows; ++r) {
        const ItemData data = view.GetItemData(r);
        if (data >= i) view.SetItemData(r, data - 1);
    }
    view.DeleteItem(row);
    list.removeDefinition(i);

    // Free to bind again once no definition of the element is left; the file may bind one
    // element twice.
    bool stillBound = false;
    for (int k = 0; k < list.count && !stillBound; ++k)
        stillBound = list.items[k]->elementIndex == deleted.elementIndex;
    const int element = findElementIndex(deleted.elementIndex, catalog);
    if (!stillBound && element >= 0) catalog[element].seen = 0;
    rebuildPhUsage();
    if (!written) reportWriteFailure(deleted, error);
}

void CDefinitionListDlg::onSort(int column) {
    if (column < 0 || column >= 5) return;
    SortRequest request{&context_.definitions, sortToggle[column] ? -(column + 1) : column + 1};
    GetListView(IDC_DEFLIST_VIEW).SortItems(compareRows, reinterpret_cast<ItemData>(&request));
    const bool next = !sortToggle[column];
    for (bool& toggle : sortToggle)
        toggle = false;
    sortToggle[column] = next;
}

} // namespace gb::ui
