#include "ui/dialogs/about_dlg.h"

#include "ui/dialog_ids.h"

namespace gb::ui {

CAboutDlg::CAboutDlg(Dialog* parent) : Dialog(IDD_ABOUTBOX, parent) {}

} // namespace gb::ui
