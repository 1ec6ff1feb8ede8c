#pragma once
// The About box: the program's bitmap, its version line and "&OK".

#include "ui/framework/dialog.h"

namespace gb::ui {

class CAboutDlg : public Dialog {
public:
    explicit CAboutDlg(Dialog* parent = nullptr);
};

} // namespace gb::ui
