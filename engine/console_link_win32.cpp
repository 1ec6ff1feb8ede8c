#include "engine/console_link.h"

namespace gb {

bool connectConsoleTray(ui::CSystemTray&) {
    return false;
}

} // namespace gb
