// The Win32 dialog backend: dialogs from the program's templates through DialogBoxParamA, the
// real controls driven by their messages, and a person's input reproduced with the messages and
// notifications the controls themselves produce.

#include "ui/framework/dialog.h"
#include "ui/framework/dialog_backend.h"
#include "ui/framework/user.h"

#include <windows.h>

#include <commctrl.h>

namespace gb::ui {

namespace {

// Posted from WM_INITDIALOG: the dialog has opened and its modal loop runs.
constexpr UINT WmDialogOpened = WM_APP + 0x100;

void initCommonControls() {
    static bool done = false;
    if (done) return;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    done = true;
}

enum class Kind {
    Other,
    Button,
    Edit,
    ComboBox,
    ListBox,
    ListView,
};

Kind kindOf(HWND control) {
    char name[64] = {};
    if (control == nullptr || GetClassNameA(control, name, sizeof name) == 0) return Kind::Other;
    if (lstrcmpiA(name, "Button") == 0) return Kind::Button;
    if (lstrcmpiA(name, "Edit") == 0) return Kind::Edit;
    if (lstrcmpiA(name, "ComboBox") == 0) return Kind::ComboBox;
    if (lstrcmpiA(name, "ListBox") == 0) return Kind::ListBox;
    if (lstrcmpiA(name, WC_LISTVIEWA) == 0) return Kind::ListView;
    return Kind::Other;
}

// A template's IDC_STATIC (-1) comes back as 0xFFFF from a 16-bit DIALOG template.
int controlId(HWND control) {
    const int id = GetDlgCtrlID(control);
    return id == 0xFFFF ? -1 : id;
}

std::string windowText(HWND window) {
    if (window == nullptr) return {};
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(window, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

struct SortContext {
    ListViewCompare compare;
    ItemData param;
};

int CALLBACK sortTrampoline(LPARAM first, LPARAM second, LPARAM context) {
    const SortContext* c = reinterpret_cast<const SortContext*>(context);
    return c->compare(first, second, c->param);
}

class Win32DialogWindow : public DialogWindow {
public:
    explicit Win32DialogWindow(Dialog& dialog) : dialog_(dialog) {}

    Dialog& dialog() { return dialog_; }
    HWND hwnd = nullptr;

    platform::WindowHandle handle() override { return hwnd; }
    void end(int result) override { EndDialog(hwnd, result); }
    void postCommand(int controlId) override {
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(controlId, 0), 0);
    }

    std::vector<int> childIds() override {
        std::vector<int> ids;
        for (HWND c = GetWindow(hwnd, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
            ids.push_back(controlId(c));
        }
        return ids;
    }
    std::string childText(std::size_t index) override {
        HWND c = GetWindow(hwnd, GW_CHILD);
        for (std::size_t i = 0; c != nullptr && i < index; ++i)
            c = GetWindow(c, GW_HWNDNEXT);
        return c != nullptr ? windowText(c) : std::string();
    }
    bool hasControl(int id) override { return item(id) != nullptr; }

    std::string text(int id) override { return windowText(id == 0 ? hwnd : item(id)); }
    void setText(int id, const std::string& text) override {
        HWND w = id == 0 ? hwnd : item(id);
        if (w != nullptr) SetWindowTextA(w, text.c_str());
    }
    void setFocus(int id) override {
        if (HWND c = item(id)) SendMessageA(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(c), TRUE);
    }
    int focusId() override {
        // The focus may sit in a child of a control (a combo box's edit): report the control.
        for (HWND f = GetFocus(); f != nullptr; f = GetParent(f)) {
            if (GetParent(f) == hwnd) return controlId(f);
        }
        return 0;
    }
    bool isEnabled(int id) override {
        HWND c = item(id);
        return c != nullptr && IsWindowEnabled(c);
    }
    void enable(int id, bool on) override {
        if (HWND c = item(id)) EnableWindow(c, on);
    }

    void setLimit(int id, std::size_t maxChars) override { send(id, EM_LIMITTEXT, maxChars, 0); }
    std::size_t limit(int id) override {
        return static_cast<std::size_t>(send(id, EM_GETLIMITTEXT, 0, 0));
    }
    void selectAll(int id) override {
        if (kindOf(item(id)) == Kind::Edit) send(id, EM_SETSEL, 0, -1);
    }
    void setSelection(int id, int start, int end) override {
        if (kindOf(item(id)) == Kind::Edit) send(id, EM_SETSEL, start, end);
    }

    bool checked(int id) override { return IsDlgButtonChecked(hwnd, id) == BST_CHECKED; }
    void setChecked(int id, bool on) override {
        CheckDlgButton(hwnd, id, on ? BST_CHECKED : BST_UNCHECKED);
    }

    int listAdd(int id, const std::string& text) override {
        return listSend(id, CB_ADDSTRING, LB_ADDSTRING, 0, text.c_str());
    }
    int listInsert(int id, int index, const std::string& text) override {
        return listSend(id, CB_INSERTSTRING, LB_INSERTSTRING, index, text.c_str());
    }
    int listDelete(int id, int index) override {
        return listSend(id, CB_DELETESTRING, LB_DELETESTRING, index, 0);
    }
    void listReset(int id) override { listSend(id, CB_RESETCONTENT, LB_RESETCONTENT, 0, 0); }
    int listCount(int id) override {
        const int n = listSend(id, CB_GETCOUNT, LB_GETCOUNT, 0, 0);
        return n < 0 ? 0 : n;
    }
    std::string listText(int id, int index) override {
        const int length = listSend(id, CB_GETLBTEXTLEN, LB_GETTEXTLEN, index, 0);
        if (length < 0) return {};
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        const int got = listSend(id, CB_GETLBTEXT, LB_GETTEXT, index, text.data());
        text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return text;
    }
    int listSelection(int id) override { return listSend(id, CB_GETCURSEL, LB_GETCURSEL, 0, 0); }
    int listSetSelection(int id, int index) override {
        return listSend(id, CB_SETCURSEL, LB_SETCURSEL, index, 0);
    }
    int listFindExact(int id, int start, const std::string& text) override {
        return listSend(id, CB_FINDSTRINGEXACT, LB_FINDSTRINGEXACT, start, text.c_str());
    }
    bool listSetData(int id, int index, ItemData data) override {
        const Kind k = kindOf(item(id));
        const UINT msg = k == Kind::ComboBox ? CB_SETITEMDATA : LB_SETITEMDATA;
        if (k != Kind::ComboBox && k != Kind::ListBox) return false;
        return send(id, msg, index, data) != CB_ERR;
    }
    ItemData listData(int id, int index) override {
        const Kind k = kindOf(item(id));
        if (k != Kind::ComboBox && k != Kind::ListBox) return -1;
        return send(id, k == Kind::ComboBox ? CB_GETITEMDATA : LB_GETITEMDATA, index, 0);
    }

    int lvInsertColumn(int id, int column, const std::string& heading, ColumnAlign align,
                       int width) override {
        LVCOLUMNA c{};
        c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        c.fmt = align == ColumnAlign::Right ? LVCFMT_RIGHT : LVCFMT_LEFT;
        c.cx = width;
        c.pszText = const_cast<char*>(heading.c_str());
        c.iSubItem = column;
        return lvSend(id, LVM_INSERTCOLUMNA, column, &c);
    }
    int lvColumnCount(int id) override {
        HWND header = reinterpret_cast<HWND>(send(id, LVM_GETHEADER, 0, 0));
        return header != nullptr ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0))
                                 : 0;
    }
    std::string lvColumnHeading(int id, int column) override {
        char buffer[260] = {};
        LVCOLUMNA c{};
        c.mask = LVCF_TEXT;
        c.pszText = buffer;
        c.cchTextMax = sizeof buffer;
        return lvSend(id, LVM_GETCOLUMNA, column, &c) ? std::string(buffer) : std::string();
    }
    int lvInsertItem(int id, int index, const std::string& text, ItemData data) override {
        LVITEMA it{};
        it.mask = LVIF_TEXT | LVIF_PARAM;
        it.iItem = index;
        it.pszText = const_cast<char*>(text.c_str());
        it.lParam = data;
        return lvSend(id, LVM_INSERTITEMA, 0, &it);
    }
    bool lvSetText(int id, int item, int subItem, const std::string& text) override {
        LVITEMA it{};
        it.iSubItem = subItem;
        it.pszText = const_cast<char*>(text.c_str());
        return lvSend(id, LVM_SETITEMTEXTA, item, &it) != 0;
    }
    std::string lvText(int id, int item, int subItem) override {
        char buffer[1024] = {};
        LVITEMA it{};
        it.iSubItem = subItem;
        it.pszText = buffer;
        it.cchTextMax = sizeof buffer;
        lvSend(id, LVM_GETITEMTEXTA, item, &it);
        return buffer;
    }
    bool lvSetData(int id, int item, ItemData data) override {
        LVITEMA it{};
        it.mask = LVIF_PARAM;
        it.iItem = item;
        it.lParam = data;
        return lvSend(id, LVM_SETITEMA, 0, &it) != 0;
    }
    ItemData lvData(int id, int item) override {
        LVITEMA it{};
        it.mask = LVIF_PARAM;
        it.iItem = item;
        return lvSend(id, LVM_GETITEMA, 0, &it) ? it.lParam : 0;
    }
    bool lvDelete(int id, int item) override { return send(id, LVM_DELETEITEM, item, 0) != 0; }
    void lvDeleteAll(int id) override { send(id, LVM_DELETEALLITEMS, 0, 0); }
    int lvCount(int id) override {
        return kindOf(this->item(id)) == Kind::ListView
                   ? static_cast<int>(send(id, LVM_GETITEMCOUNT, 0, 0))
                   : 0;
    }
    int lvNextSelected(int id, int start) override {
        return static_cast<int>(send(id, LVM_GETNEXTITEM, start, MAKELPARAM(LVNI_SELECTED, 0)));
    }
    void lvSetSelected(int id, int item, bool on) override {
        LVITEMA it{};
        it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        it.state = on ? LVIS_SELECTED | LVIS_FOCUSED : 0;
        lvSend(id, LVM_SETITEMSTATE, item, &it);
    }
    bool lvSort(int id, ListViewCompare compare, ItemData param) override {
        if (compare == nullptr) return false;
        SortContext context{compare, param};
        return send(id, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
                    reinterpret_cast<LPARAM>(&sortTrampoline)) != 0;
    }
    void lvSetExtendedStyle(int id, unsigned mask, unsigned style) override {
        send(id, LVM_SETEXTENDEDLISTVIEWSTYLE, mask, style);
    }
    unsigned lvExtendedStyle(int id) override {
        return static_cast<unsigned>(send(id, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    }

    void userType(int id, const std::string& text) override {
        HWND c = item(id);
        if (c == nullptr || !IsWindowEnabled(c)) return;
        SetFocus(c);
        SendMessageA(c, EM_SETSEL, 0, -1);
        SendMessageA(c, WM_CLEAR, 0, 0);
        for (char ch : text)
            SendMessageA(c, WM_CHAR, static_cast<unsigned char>(ch), 1);
    }
    void userClick(int id) override {
        HWND c = item(id);
        if (c != nullptr && IsWindowEnabled(c)) SendMessageA(c, BM_CLICK, 0, 0);
    }
    void userSelect(int id, int index) override {
        HWND c = item(id);
        if (c == nullptr || !IsWindowEnabled(c)) return;
        SetFocus(c);
        switch (kindOf(c)) {
        case Kind::ComboBox:
            if (SendMessageA(c, CB_SETCURSEL, index, 0) != CB_ERR) notifyCommand(c, CBN_SELCHANGE);
            break;
        case Kind::ListBox:
            if (SendMessageA(c, LB_SETCURSEL, index, 0) != LB_ERR &&
                (GetWindowLongA(c, GWL_STYLE) & LBS_NOTIFY) != 0) {
                notifyCommand(c, LBN_SELCHANGE);
            }
            break;
        case Kind::ListView:
            lvSetSelected(id, index, true);
            break;
        default:
            break;
        }
    }
    void userDoubleClick(int id, int index) override {
        HWND c = item(id);
        if (c == nullptr || !IsWindowEnabled(c)) return;
        userSelect(id, index);
        const Kind k = kindOf(c);
        if (k == Kind::ListBox && (GetWindowLongA(c, GWL_STYLE) & LBS_NOTIFY) != 0) {
            notifyCommand(c, LBN_DBLCLK);
        } else if (k == Kind::ListView) {
            NMITEMACTIVATE n{};
            n.hdr = {c, static_cast<UINT_PTR>(id), static_cast<UINT>(NM_DBLCLK)};
            n.iItem = index;
            SendMessageA(hwnd, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&n));
        }
    }
    void userColumnClick(int id, int column) override {
        HWND c = item(id);
        if (c == nullptr || kindOf(c) != Kind::ListView) return;
        NMLISTVIEW n{};
        n.hdr = {c, static_cast<UINT_PTR>(id), static_cast<UINT>(LVN_COLUMNCLICK)};
        n.iItem = -1;
        n.iSubItem = column;
        SendMessageA(hwnd, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&n));
    }

private:
    HWND item(int id) { return id == -1 ? nullptr : GetDlgItem(hwnd, id); }
    LRESULT send(int id, UINT msg, WPARAM w, LPARAM l) {
        HWND c = item(id);
        return c != nullptr ? SendMessageA(c, msg, w, l) : 0;
    }
    int lvSend(int id, UINT msg, WPARAM w, const void* l) {
        if (kindOf(item(id)) != Kind::ListView) return -1;
        return static_cast<int>(send(id, msg, w, reinterpret_cast<LPARAM>(l)));
    }
    // The same request to a combo box or a list box; CB_ERR (-1) for anything else.
    int listSend(int id, UINT comboMsg, UINT listMsg, WPARAM w, const void* l) {
        const Kind k = kindOf(item(id));
        if (k != Kind::ComboBox && k != Kind::ListBox) return CB_ERR;
        return static_cast<int>(
            send(id, k == Kind::ComboBox ? comboMsg : listMsg, w, reinterpret_cast<LPARAM>(l)));
    }
    void notifyCommand(HWND control, UINT code) {
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(controlId(control), code),
                     reinterpret_cast<LPARAM>(control));
    }

    Dialog& dialog_;
};

void dispatchCommand(Win32DialogWindow& w, WPARAM wParam, LPARAM lParam) {
    const int id = static_cast<short>(LOWORD(wParam)) == -1 ? -1 : LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    // Menus, accelerators, Enter / Escape and posted commands come without a control.
    if (control == nullptr) return w.dialog().HandleNotify(id, Notify::Clicked, 0);
    switch (kindOf(control)) {
    case Kind::Button:
        if (code == BN_CLICKED) w.dialog().HandleNotify(id, Notify::Clicked, 0);
        break;
    case Kind::Edit:
        if (code == EN_CHANGE) w.dialog().HandleNotify(id, Notify::TextChanged, 0);
        break;
    case Kind::ComboBox:
        if (code == CBN_SELCHANGE) w.dialog().HandleNotify(id, Notify::SelectionChanged, 0);
        break;
    case Kind::ListBox:
        if (code == LBN_SELCHANGE) w.dialog().HandleNotify(id, Notify::SelectionChanged, 0);
        if (code == LBN_DBLCLK) w.dialog().HandleNotify(id, Notify::DoubleClicked, 0);
        break;
    default:
        if (code == 0) w.dialog().HandleNotify(id, Notify::Clicked, 0);
        break;
    }
}

void dispatchNotify(Win32DialogWindow& w, const NMHDR* h) {
    const int id = static_cast<int>(h->idFrom);
    if (h->code == static_cast<UINT>(LVN_COLUMNCLICK)) {
        const NMLISTVIEW* n = reinterpret_cast<const NMLISTVIEW*>(h);
        w.dialog().HandleNotify(id, Notify::ColumnClicked, n->iSubItem);
    } else if (h->code == static_cast<UINT>(NM_DBLCLK) && kindOf(h->hwndFrom) == Kind::ListView) {
        w.dialog().HandleNotify(id, Notify::DoubleClicked, 0);
    }
}

INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* w = reinterpret_cast<Win32DialogWindow*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (msg == WM_INITDIALOG) {
        w = reinterpret_cast<Win32DialogWindow*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        w->hwnd = hwnd;
        const bool defaultFocus = w->dialog().HandleInitDialog(*w);
        PostMessageA(hwnd, WmDialogOpened, 0, 0);
        return defaultFocus ? TRUE : FALSE;
    }
    if (w == nullptr) return FALSE;
    switch (msg) {
    case WmDialogOpened:
        // The dialog manager shows the dialog only once its queue is empty; the user meets it
        // shown.
        if (!IsWindowVisible(hwnd)) ShowWindow(hwnd, SW_SHOWNORMAL);
        w->dialog().HandleOpened();
        return TRUE;
    case WM_COMMAND:
        dispatchCommand(*w, wParam, lParam);
        return TRUE;
    case WM_NOTIFY:
        dispatchNotify(*w, reinterpret_cast<const NMHDR*>(lParam));
        return TRUE;
    default:
        return FALSE;
    }
}

// Real boxes, owned as asked; a person drives the dialogs.
class SystemUser : public User {
public:
    int messageBox(platform::WindowHandle owner, const char* text, const char* caption,
                   unsigned style) override {
        return platform::systemMessageBox(owner, text, caption, style);
    }
    void dialogOpened(Dialog&) override {}
};

} // namespace

int runModalDialog(Dialog& dialog) {
    initCommonControls();
    HWND owner = static_cast<HWND>(mainWindow());
    if (dialog.Parent() != nullptr && dialog.Parent()->Window() != nullptr) {
        owner = static_cast<HWND>(dialog.Parent()->Window()->handle());
    }
    Win32DialogWindow window(dialog);
    const INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialog.TemplateId()), owner,
                        dialogProc, reinterpret_cast<LPARAM>(&window));
    dialog.HandleDestroyed();
    return static_cast<int>(result);
}

User& backendSystemUser() {
    static SystemUser user;
    return user;
}

} // namespace gb::ui
