#pragma once
// The general configuration dialog: the simulator's executable and the periods of the process
// check and of the data loop. The caller fills the fields, runs the dialog and, on OK, takes them
// back; the dialog itself neither reads nor writes settings.

#include "ui/dialogs/process_select_dlg.h"
#include "ui/framework/dialog.h"

#include <cstdint>
#include <string>

namespace gb::ui {

class CGeneralConfigDlg : public Dialog {
public:
    explicit CGeneralConfigDlg(Dialog* parent = nullptr,
                               ProcessLister lister = listRunningProcesses);

    // The longest process name the settings hold (a path of at most 259 characters).
    static constexpr std::size_t MaxProcessName = 259;

    std::string checkProcess;
    std::uint32_t checkPeriod = 0;
    std::uint32_t readPeriod = 0;

protected:
    void DoDataExchange(DataExchange& dx) override;

private:
    void onSearch();

    ProcessLister lister_;
};

} // namespace gb::ui
