#include "ui/dialogs/general_config_dlg.h"

#include "ui/dialog_ids.h"
#include "ui/framework/data_exchange.h"

namespace gb::ui {

CGeneralConfigDlg::CGeneralConfigDlg(Dialog* parent, ProcessLister lister)
    : Dialog(IDD_GENERAL_CONFIG, parent), lister_(std::move(lister)) {
    OnCommand(IDC_SEARCH_PROCESS, [this] { onSearch(); });
}

// The name is limited to what the setting holds, not less: a stored name longer than the edit's
// limit could never pass the length check, and OK would fail every time.
void CGeneralConfigDlg::DoDataExchange(DataExchange& dx) {
    dx.Text(IDC_CHECK_PROCESS, checkProcess);
    dx.MaxChars(checkProcess, MaxProcessName);
    dx.Text(IDC_CHECK_PERIOD, checkPeriod);
    dx.MinMax(checkPeriod, 100u, 10000u);
    dx.Text(IDC_READ_PERIOD, readPeriod);
    dx.MinMax(readPeriod, 50u, 2000u);
}

// Typed but unaccepted timer values are replaced by the fields' values afterwards, whether a
// process was picked or not.
void CGeneralConfigDlg::onSearch() {
    CProcessSelectDlg select(this, lister_);
    if (select.DoModal() == platform::IdOk) checkProcess = select.selectedProcess;
    UpdateData(false);
}

} // namespace gb::ui
