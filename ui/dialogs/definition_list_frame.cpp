// The program's list dialog over the main frame. A file of its own: whatever calls it links the
// frame, while the dialog itself and its tests do not need it.

#include "engine/main_frame.h"
#include "ui/dialogs/definition_list_dlg.h"

namespace gb::ui {

void runDefinitionListFor(int mode, CMainFrame& frame) {
    CDefinitionListDlg dialog(
        mode, {frame.definitionList(), frame.definitionFile(), ElementCatalog, frame.binding()});
    dialog.DoModal();
}

} // namespace gb::ui
