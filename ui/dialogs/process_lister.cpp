#include "platform/process_list.h"
#include "ui/dialogs/process_select_dlg.h"

namespace gb::ui {

bool listRunningProcesses(std::vector<std::string>& names) {
    return platform::listProcessNames(names);
}

} // namespace gb::ui
