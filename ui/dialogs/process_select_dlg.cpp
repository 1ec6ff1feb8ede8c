#include "ui/dialogs/process_select_dlg.h"

#include "ui/dialog_ids.h"

namespace gb::ui {

CProcessSelectDlg::CProcessSelectDlg(Dialog* parent, ProcessLister lister)
    : Dialog(IDD_PROCESS_SELECT, parent), lister_(std::move(lister)) {
    OnNotify(IDC_PROCESS_LIST, Notify::DoubleClicked, [this](int) { accept(); });
}

bool CProcessSelectDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    fillList();
    return true;
}

void CProcessSelectDlg::OnOK() {
    accept();
}

void CProcessSelectDlg::fillList() {
    std::vector<std::string> names;
    if (!lister_ || !lister_(names)) return;
    ListBox list = GetListBox(IDC_PROCESS_LIST);
    for (const std::string& name : names)
        list.AddString(name);
}

void CProcessSelectDlg::accept() {
    ListBox list = GetListBox(IDC_PROCESS_LIST);
    const int selection = list.GetCurSel();
    if (selection < 0) {
        MessageBox("Please select a process", "Error", platform::MbOk | platform::MbIconWarning);
        GotoDlgCtrl(IDC_PROCESS_LIST);
        return;
    }
    selectedProcess = list.GetText(selection);
    EndDialog(platform::IdOk);
}

} // namespace gb::ui
