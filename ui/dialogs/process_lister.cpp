#include "ui/dialogs/process_select_dlg.h"

namespace gb::ui {

// Until the platform's process snapshot is connected, no snapshot can be taken and the list
// stays empty.
bool listRunningProcesses(std::vector<std::string>&) {
    return false;
}

} // namespace gb::ui
