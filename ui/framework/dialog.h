#pragma once
// Modal dialogs from templates, in the shape of the classic framework's dialog class:
//
//   class CMyDlg : public ui::Dialog {
//   public:
//       CMyDlg() : Dialog(IDD_MY) { OnCommand(IDC_SEARCH, [this] { onSearch(); }); }
//       std::uint32_t period = 0;
//   protected:
//       void DoDataExchange(ui::DataExchange& dx) override {
//           dx.Text(IDC_PERIOD, period);
//           dx.MinMax(period, 100u, 10000u);
//       }
//   };
//   CMyDlg dlg; if (dlg.DoModal() == platform::IdOk) use(dlg.period);
//
// OnInitDialog writes the fields to the controls; OK reads them back with their checks and ends
// the dialog only when every check passed; Cancel (button, Escape, close box) ends it without
// reading. Handlers run on the loop's thread, one at a time.

#include "platform/message_box.h"
#include "ui/framework/controls.h"

#include <functional>
#include <string>
#include <vector>

namespace gb::ui {

class DataExchange;

// Notifications a control sends to its dialog.
enum class Notify {
    Clicked,          // button, check box; also menu-like and posted commands
    DoubleClicked,    // list box entry, list view row
    SelectionChanged, // combo box, list box
    TextChanged,      // edit
    ColumnClicked,    // list view header; the handler gets the column
};

class Dialog {
public:
    explicit Dialog(unsigned templateId, Dialog* parent = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally and returns the result given to EndDialog (platform::IdOk, IdCancel
    // ...), or -1 when the dialog could not be created.
    int DoModal();
    void EndDialog(int result);

    unsigned TemplateId() const { return templateId_; }
    Dialog* Parent() const { return parent_; }
    // True between the window's creation and the end of its modal run.
    bool IsOpen() const { return window_ != nullptr; }
    bool HasEnded() const { return ended_; }
    // The backend's window while open, else null.
    DialogWindow* Window() const { return window_; }

    // Runs the field exchange: controls to fields with checks (true) or fields to controls.
    // False when a check failed; the failure has been reported and the control focused.
    bool UpdateData(bool saveAndValidate = true);

    void SetWindowText(const std::string& title);
    std::string GetWindowText() const;
    // Moves the focus to a control (and selects an edit's text, as keyboard navigation does).
    void GotoDlgCtrl(int id);
    int GetFocusId() const;
    void PostCommand(int id);
    // A modal box owned by this dialog, shown through the current user.
    int MessageBox(const std::string& text, const std::string& caption, unsigned style);

    Control GetControl(int id) const { return {window_, id}; }
    Edit GetEdit(int id) const { return {window_, id}; }
    CheckBox GetCheckBox(int id) const { return {window_, id}; }
    ComboBox GetComboBox(int id) const { return {window_, id}; }
    ListBox GetListBox(int id) const { return {window_, id}; }
    ListView GetListView(int id) const { return {window_, id}; }

    // The open dialog whose window this is, or null.
    static Dialog* FromHandle(platform::WindowHandle handle);
    // The most recently opened dialog that is still open, or null.
    static Dialog* Innermost();

    // Called by the backends.
    bool HandleInitDialog(DialogWindow& window);
    void HandleOpened();
    void HandleNotify(int id, Notify notify, int argument);
    void HandleDestroyed();

protected:
    virtual void DoDataExchange(DataExchange& dx);
    // Default: write the fields to the controls. Returns true to let the framework set the focus
    // to the first control.
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // Registers a handler for a control's notification; a later one for the same pair replaces
    // the earlier.
    void OnCommand(int id, std::function<void()> handler);
    void OnNotify(int id, Notify notify, std::function<void(int)> handler);

private:
    struct Handler {
        int id;
        Notify notify;
        std::function<void(int)> run;
    };

    unsigned templateId_;
    Dialog* parent_;
    DialogWindow* window_ = nullptr;
    bool ended_ = false;
    std::vector<Handler> handlers_;
};

} // namespace gb::ui
