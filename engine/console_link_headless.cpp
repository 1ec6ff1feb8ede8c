#include "engine/console_link.h"

#include "ui/framework/headless/console_tray.h"

namespace gb {

bool connectConsoleTray(ui::CSystemTray& tray) {
    return ui::connectTrayToStandardInput(tray);
}

} // namespace gb
