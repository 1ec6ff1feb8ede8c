#pragma once
// The process selection dialog: the executables of the processes running when it opens, sorted
// by the list box, one entry per process; OK or a double click takes the selected entry.

#include "ui/framework/dialog.h"

#include <functional>
#include <string>
#include <vector>

namespace gb::ui {

// Fills `names` with the executable of every running process, as the system reports it; false
// when no snapshot could be taken.
using ProcessLister = std::function<bool(std::vector<std::string>& names)>;

// The system's process snapshot.
bool listRunningProcesses(std::vector<std::string>& names);

class CProcessSelectDlg : public Dialog {
public:
    explicit CProcessSelectDlg(Dialog* parent = nullptr,
                               ProcessLister lister = listRunningProcesses);

    // The chosen entry's text; set only when the dialog ends with OK.
    std::string selectedProcess;

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    void fillList();
    void accept();

    ProcessLister lister_;
};

} // namespace gb::ui
