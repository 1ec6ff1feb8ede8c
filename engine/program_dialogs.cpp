#include "engine/program_dialogs.h"

#include "platform/message_box.h"
#include "ui/dialogs/about_dlg.h"
#include "ui/dialogs/definition_list_dlg.h"
#include "ui/dialogs/general_config_dlg.h"

#include <algorithm>
#include <cstring>

namespace gb {

namespace {

class ProgramDialogs final : public FrameDialogs {
public:
    bool runGeneralConfig(GeneralValues& values) override {
        ui::CGeneralConfigDlg dialog;
        dialog.checkProcess = values.checkProcess;
        dialog.checkPeriod = values.checkPeriod;
        dialog.readPeriod = values.readPeriod;
        if (dialog.DoModal() != platform::IdOk) return false;
        values.checkPeriod = dialog.checkPeriod;
        values.readPeriod = dialog.readPeriod;
        // The dialog's edit holds no more than the setting does; cut anyway rather than overrun.
        const std::size_t length =
            std::min(dialog.checkProcess.size(), sizeof values.checkProcess - 1);
        std::memcpy(values.checkProcess, dialog.checkProcess.data(), length);
        values.checkProcess[length] = '\0';
        return true;
    }

    void runDefinitionList(int mode, CMainFrame& frame) override {
        ui::runDefinitionListFor(mode, frame);
    }

    void runAbout() override {
        ui::CAboutDlg dialog;
        dialog.DoModal();
    }
};

} // namespace

FrameDialogs* programDialogs() {
    static ProgramDialogs dialogs;
    return &dialogs;
}

} // namespace gb
