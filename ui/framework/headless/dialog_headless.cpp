// The headless dialog backend: every control of a template as an in-memory twin that behaves like
// the Windows control in what the dialogs use, and a modal run in the headless loop.

#include "ui/framework/dialog.h"
#include "ui/framework/dialog_backend.h"
#include "ui/framework/dialog_console.h"
#include "ui/framework/headless/dialog_template.h"
#include "ui/framework/headless/headless_loop.h"
#include "ui/framework/user.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace gb::ui {

namespace headless {

namespace {

// Order of sorted combo boxes, list boxes and list views: case-insensitive, character by
// character by code, a prefix first ("10" < "9" < "alpha" < "Bravo").
int compareSorted(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca - cb;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool equalNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && compareSorted(a, b) == 0;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// EM_LIMITTEXT's default for a single-line edit.
constexpr std::size_t DefaultEditLimit = 0x7FFFFFFE;

struct Entry {
    std::string text;
    ItemData data = 0;
};

struct Row {
    std::vector<std::string> texts;
    ItemData data = 0;
    bool selected = false;
};

struct Column {
    std::string heading;
    ColumnAlign align = ColumnAlign::Left;
    int width = 0;
};

struct ControlState {
    ControlTemplate t;
    std::string text;
    bool enabled = true;
    std::size_t limit = DefaultEditLimit;
    bool checked = false;
    std::vector<Entry> entries;
    int selection = -1;
    std::vector<Column> columns;
    std::vector<Row> rows;
    unsigned extendedStyle = 0;

    bool sorted() const {
        return t.hasStyle("CBS_SORT") || t.hasStyle("LBS_SORT") || t.hasStyle("LVS_SORTASCENDING");
    }
    bool takesFocus() const { return t.kind != ControlKind::Static && enabled; }
};

class HeadlessDialogWindow : public DialogWindow {
public:
    HeadlessDialogWindow(Dialog& dialog, const DialogTemplate& t, HeadlessLoop& loop)
        : dialog_(dialog), loop_(loop), title_(t.caption), alive_(std::make_shared<bool>(true)) {
        for (const ControlTemplate& c : t.controls) {
            ControlState s;
            s.t = c;
            s.text = c.text;
            s.enabled = !c.hasStyle("WS_DISABLED");
            controls_.push_back(s);
        }
    }
    ~HeadlessDialogWindow() override { *alive_ = false; }

    platform::ModalLoop modal;

    // Posted work for this window is dropped once the window is gone, as Windows drops messages
    // posted to a destroyed window.
    void post(std::function<void()> work) {
        std::shared_ptr<bool> alive = alive_;
        loop_.post([alive, work = std::move(work)] {
            if (*alive) work();
        });
    }

    void focusFirst() {
        for (const ControlState& c : controls_) {
            if (c.takesFocus()) {
                focus_ = c.t.id;
                return;
            }
        }
    }

    platform::WindowHandle handle() override { return this; }

    void end(int result) override { loop_.end(modal, result); }

    void postCommand(int controlId) override {
        post([this, controlId] { dialog_.HandleNotify(controlId, Notify::Clicked, 0); });
    }

    std::vector<int> childIds() override {
        std::vector<int> ids;
        for (const ControlState& c : controls_)
            ids.push_back(c.t.id);
        return ids;
    }

    std::string childText(std::size_t index) override {
        return index < controls_.size() ? controls_[index].text : std::string();
    }

    bool hasControl(int id) override { return find(id) != nullptr; }

    std::string text(int id) override {
        if (id == 0) return title_;
        const ControlState* c = find(id);
        if (c == nullptr) return {};
        // A drop-down list's window text is its selected entry; a list box has none of its own.
        if (c->t.kind == ControlKind::ComboBox) {
            return c->selection >= 0 ? c->entries[c->selection].text : std::string();
        }
        return c->text;
    }

    void setText(int id, const std::string& text) override {
        if (id == 0) {
            title_ = text;
            return;
        }
        ControlState* c = find(id);
        if (c == nullptr) return;
        c->text = text;
        // Like WM_SETTEXT: the limit and the digits-only style do not apply, and an edit
        // reports the change.
        if (c->t.kind == ControlKind::Edit) notify(id, Notify::TextChanged);
    }

    void setFocus(int id) override {
        if (find(id) != nullptr) focus_ = id;
    }
    int focusId() override { return focus_; }

    bool isEnabled(int id) override {
        const ControlState* c = find(id);
        return c != nullptr && c->enabled;
    }
    void enable(int id, bool on) override {
        if (ControlState* c = find(id)) c->enabled = on;
    }

    void setLimit(int id, std::size_t maxChars) override {
        // EM_LIMITTEXT with 0 restores the largest limit.
        if (ControlState* c = find(id)) c->limit = maxChars == 0 ? DefaultEditLimit : maxChars;
    }
    std::size_t limit(int id) override {
        const ControlState* c = find(id);
        return c != nullptr ? c->limit : 0;
    }
    // No caret: typing always replaces the whole text, as after select-all.
    void selectAll(int) override {}
    void setSelection(int, int, int) override {}

    bool checked(int id) override {
        const ControlState* c = find(id);
        return c != nullptr && c->checked;
    }
    void setChecked(int id, bool on) override {
        if (ControlState* c = find(id)) c->checked = on;
    }

    int listAdd(int id, const std::string& text) override {
        ControlState* c = findList(id);
        if (c == nullptr) return -1;
        int index = static_cast<int>(c->entries.size());
        if (c->sorted()) {
            index = 0;
            while (index < static_cast<int>(c->entries.size()) &&
                   compareSorted(c->entries[index].text, text) <= 0) {
                ++index;
            }
        }
        return listInsert(id, index, text);
    }
    int listInsert(int id, int index, const std::string& text) override {
        ControlState* c = findList(id);
        if (c == nullptr) return -1;
        const int count = static_cast<int>(c->entries.size());
        if (index < 0) index = count;
        if (index > count) return -1;
        c->entries.insert(c->entries.begin() + index, Entry{text, 0});
        if (c->selection >= index) ++c->selection;
        return index;
    }
    int listDelete(int id, int index) override {
        ControlState* c = findList(id);
        if (c == nullptr || index < 0 || index >= static_cast<int>(c->entries.size())) return -1;
        c->entries.erase(c->entries.begin() + index);
        if (c->selection == index) {
            c->selection = -1;
        } else if (c->selection > index) {
            --c->selection;
        }
        return static_cast<int>(c->entries.size());
    }
    void listReset(int id) override {
        if (ControlState* c = findList(id)) {
            c->entries.clear();
            c->selection = -1;
        }
    }
    int listCount(int id) override {
        const ControlState* c = findList(id);
        return c != nullptr ? static_cast<int>(c->entries.size()) : 0;
    }
    std::string listText(int id, int index) override {
        const ControlState* c = findList(id);
        if (c == nullptr || index < 0 || index >= static_cast<int>(c->entries.size())) return {};
        return c->entries[index].text;
    }
    int listSelection(int id) override {
        const ControlState* c = findList(id);
        return c != nullptr ? c->selection : -1;
    }
    int listSetSelection(int id, int index) override {
        ControlState* c = findList(id);
        if (c == nullptr) return -1;
        // As CB_SETCURSEL / LB_SETCURSEL: -1 or an index out of range clears the selection.
        if (index < 0 || index >= static_cast<int>(c->entries.size())) {
            c->selection = -1;
            return -1;
        }
        c->selection = index;
        return index;
    }
    int listFindExact(int id, int start, const std::string& text) override {
        const ControlState* c = findList(id);
        if (c == nullptr) return -1;
        const int count = static_cast<int>(c->entries.size());
        if (start < -1 || start >= count) start = -1;
        for (int k = 1; k <= count; ++k) {
            const int i = (start + k) % count;
            if (equalNoCase(c->entries[i].text, text)) return i;
        }
        return -1;
    }
    bool listSetData(int id, int index, ItemData data) override {
        ControlState* c = findList(id);
        if (c == nullptr || index < 0 || index >= static_cast<int>(c->entries.size())) {
            return false;
        }
        c->entries[index].data = data;
        return true;
    }
    ItemData listData(int id, int index) override {
        const ControlState* c = findList(id);
        if (c == nullptr || index < 0 || index >= static_cast<int>(c->entries.size())) return -1;
        return c->entries[index].data;
    }

    int lvInsertColumn(int id, int column, const std::string& heading, ColumnAlign align,
                       int width) override {
        ControlState* c = findListView(id);
        if (c == nullptr || column < 0) return -1;
        column = std::min(column, static_cast<int>(c->columns.size()));
        // The first column is always left-aligned, as in the real control.
        c->columns.insert(c->columns.begin() + column,
                          Column{heading, column == 0 ? ColumnAlign::Left : align, width});
        return column;
    }
    int lvColumnCount(int id) override {
        const ControlState* c = findListView(id);
        return c != nullptr ? static_cast<int>(c->columns.size()) : 0;
    }
    std::string lvColumnHeading(int id, int column) override {
        const ControlState* c = findListView(id);
        if (c == nullptr || column < 0 || column >= static_cast<int>(c->columns.size())) return {};
        return c->columns[column].heading;
    }
    int lvInsertItem(int id, int index, const std::string& text, ItemData data) override {
        ControlState* c = findListView(id);
        if (c == nullptr || index < 0) return -1;
        const int count = static_cast<int>(c->rows.size());
        index = std::min(index, count);
        if (c->sorted()) {
            // After the rows that sort before it or equal to it.
            index = 0;
            while (index < count && compareSorted(c->rows[index].texts[0], text) <= 0)
                ++index;
        }
        Row row;
        row.texts.push_back(text);
        row.data = data;
        c->rows.insert(c->rows.begin() + index, row);
        return index;
    }
    bool lvSetText(int id, int item, int subItem, const std::string& text) override {
        Row* r = findRow(id, item);
        if (r == nullptr || subItem < 0) return false;
        if (static_cast<int>(r->texts.size()) <= subItem) r->texts.resize(subItem + 1);
        r->texts[subItem] = text;
        return true;
    }
    std::string lvText(int id, int item, int subItem) override {
        const Row* r = findRow(id, item);
        if (r == nullptr || subItem < 0 || subItem >= static_cast<int>(r->texts.size())) return {};
        return r->texts[subItem];
    }
    bool lvSetData(int id, int item, ItemData data) override {
        Row* r = findRow(id, item);
        if (r == nullptr) return false;
        r->data = data;
        return true;
    }
    ItemData lvData(int id, int item) override {
        const Row* r = findRow(id, item);
        return r != nullptr ? r->data : 0;
    }
    bool lvDelete(int id, int item) override {
        ControlState* c = findListView(id);
        if (findRow(id, item) == nullptr) return false;
        c->rows.erase(c->rows.begin() + item);
        return true;
    }
    void lvDeleteAll(int id) override {
        if (ControlState* c = findListView(id)) c->rows.clear();
    }
    int lvCount(int id) override {
        const ControlState* c = findListView(id);
        return c != nullptr ? static_cast<int>(c->rows.size()) : 0;
    }
    int lvNextSelected(int id, int start) override {
        const ControlState* c = findListView(id);
        if (c == nullptr) return -1;
        for (int i = std::max(start + 1, 0); i < static_cast<int>(c->rows.size()); ++i) {
            if (c->rows[i].selected) return i;
        }
        return -1;
    }
    void lvSetSelected(int id, int item, bool on) override {
        ControlState* c = findListView(id);
        if (findRow(id, item) == nullptr) return;
        if (on && c->t.hasStyle("LVS_SINGLESEL")) {
            for (Row& r : c->rows)
                r.selected = false;
        }
        c->rows[item].selected = on;
    }
    bool lvSort(int id, ListViewCompare compare, ItemData param) override {
        ControlState* c = findListView(id);
        if (c == nullptr || compare == nullptr) return false;
        std::stable_sort(c->rows.begin(), c->rows.end(), [&](const Row& a, const Row& b) {
            return compare(a.data, b.data, param) < 0;
        });
        return true;
    }
    void lvSetExtendedStyle(int id, unsigned mask, unsigned style) override {
        if (ControlState* c = findListView(id)) {
            if (mask == 0) mask = ~0u;
            c->extendedStyle = (c->extendedStyle & ~mask) | (style & mask);
        }
    }
    unsigned lvExtendedStyle(int id) override {
        const ControlState* c = findListView(id);
        return c != nullptr ? c->extendedStyle : 0;
    }

    void userType(int id, const std::string& text) override {
        ControlState* c = find(id);
        if (c == nullptr || !c->enabled || c->t.kind != ControlKind::Edit) return;
        focus_ = id;
        if (!c->text.empty()) {
            c->text.clear();
            notify(id, Notify::TextChanged);
        }
        const bool digitsOnly = c->t.hasStyle("ES_NUMBER");
        for (char ch : text) {
            c = find(id);
            if (c == nullptr) return;
            if (digitsOnly && !isDigit(ch)) continue;
            if (c->text.size() >= c->limit) continue;
            c->text += ch;
            notify(id, Notify::TextChanged);
        }
    }
    void userClick(int id) override {
        ControlState* c = find(id);
        if (c == nullptr || !c->enabled) return;
        if (c->t.kind != ControlKind::Button && c->t.kind != ControlKind::CheckBox) return;
        focus_ = id;
        if (c->t.kind == ControlKind::CheckBox) c->checked = !c->checked;
        notify(id, Notify::Clicked);
    }
    void userSelect(int id, int index) override {
        ControlState* c = find(id);
        if (c == nullptr || !c->enabled) return;
        focus_ = id;
        if (c->t.kind == ControlKind::ListView) {
            lvSetSelected(id, index, true);
            return;
        }
        if (listSetSelection(id, index) < 0) return;
        if (c->t.kind == ControlKind::ComboBox || c->t.hasStyle("LBS_NOTIFY")) {
            notify(id, Notify::SelectionChanged);
        }
    }
    void userDoubleClick(int id, int index) override {
        ControlState* c = find(id);
        if (c == nullptr || !c->enabled) return;
        userSelect(id, index);
        c = find(id);
        if (c == nullptr) return;
        if (c->t.kind == ControlKind::ListView ||
            (c->t.kind == ControlKind::ListBox && c->t.hasStyle("LBS_NOTIFY"))) {
            notify(id, Notify::DoubleClicked);
        }
    }
    void userColumnClick(int id, int column) override {
        const ControlState* c = findListView(id);
        if (c == nullptr || column < 0 || column >= static_cast<int>(c->columns.size())) return;
        notify(id, Notify::ColumnClicked, column);
    }

private:
    ControlState* find(int id) {
        if (id == -1) return nullptr;
        for (ControlState& c : controls_) {
            if (c.t.id == id) return &c;
        }
        return nullptr;
    }
    ControlState* findList(int id) {
        ControlState* c = find(id);
        return c != nullptr &&
                       (c->t.kind == ControlKind::ComboBox || c->t.kind == ControlKind::ListBox)
                   ? c
                   : nullptr;
    }
    ControlState* findListView(int id) {
        ControlState* c = find(id);
        return c != nullptr && c->t.kind == ControlKind::ListView ? c : nullptr;
    }
    Row* findRow(int id, int item) {
        ControlState* c = findListView(id);
        if (c == nullptr || item < 0 || item >= static_cast<int>(c->rows.size())) return nullptr;
        return &c->rows[item];
    }
    void notify(int id, Notify n, int argument = 0) { dialog_.HandleNotify(id, n, argument); }

    Dialog& dialog_;
    HeadlessLoop& loop_;
    std::string title_;
    std::vector<ControlState> controls_;
    int focus_ = 0;
    std::shared_ptr<bool> alive_;
};

// The console stands in for the person: boxes go to standard error and take their default
// button; a dialog is described on standard output and then waits, in its modal loop, for the
// lines the program passes to runDialogCommand.
class ConsoleUser : public User {
public:
    int messageBox(platform::WindowHandle owner, const char* text, const char* caption,
                   unsigned style) override {
        return platform::systemMessageBox(owner, text, caption, style);
    }
    void dialogOpened(Dialog& dialog) override {
        std::fputs(describeDialog(dialog).c_str(), stdout);
        std::fflush(stdout);
    }
};

} // namespace

} // namespace headless

int runModalDialog(Dialog& dialog) {
    headless::DialogTemplate t;
    if (!headless::findDialogTemplate(dialog.TemplateId(), t)) return -1;
    headless::HeadlessDialogWindow window(dialog, t, headless::headlessLoop());
    if (dialog.HandleInitDialog(window) && window.focusId() == 0) window.focusFirst();
    // The user meets the dialog once its loop runs, as after WM_INITDIALOG on Windows.
    window.post([&dialog] { dialog.HandleOpened(); });
    const int result =
        window.modal.ended ? window.modal.result : headless::headlessLoop().run(window.modal);
    dialog.HandleDestroyed();
    return result;
}

User& backendSystemUser() {
    static headless::ConsoleUser user;
    return user;
}

} // namespace gb::ui
