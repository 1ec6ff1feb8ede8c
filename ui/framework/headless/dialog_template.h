#pragma once
// Dialog templates for the headless backend, read from the same resource script that windres
// compiles for Windows (embedded at build time), so both backends build a dialog from one source:
// its title, its controls in tab order, their ids, texts and styles.
//
// The reader knows the subset of the resource language our scripts use: DIALOG / DIALOGEX with
// STYLE, CAPTION, FONT and a BEGIN ... END block of GROUPBOX, LTEXT, RTEXT, CTEXT, EDITTEXT,
// PUSHBUTTON, DEFPUSHBUTTON, LISTBOX, COMBOBOX, AUTOCHECKBOX and CONTROL statements. Ids are
// numbers or names #defined in the id header (plus IDOK, IDCANCEL, IDC_STATIC).

#include <string>
#include <vector>

namespace gb::ui::headless {

enum class ControlKind {
    Static,
    Button,
    CheckBox,
    Edit,
    ComboBox,
    ListBox,
    ListView,
};

struct ControlTemplate {
    ControlKind kind = ControlKind::Static;
    int id = -1;
    std::string text;
    // Style names as written; a name after NOT is left out.
    std::vector<std::string> styles;
    bool hasStyle(const char* name) const;
};

struct DialogTemplate {
    unsigned id = 0;
    std::string caption;
    std::vector<std::string> styles;
    std::vector<ControlTemplate> controls;
};

// Reads dialog `id` from a resource script and the header defining its names. False when the
// script has no such dialog or the dialog cannot be read.
bool readDialogTemplate(const std::string& script, const std::string& idHeader, unsigned id,
                        DialogTemplate& out);

// Finds a template among the program's own (ui/dialogs.rc with ui/dialog_ids.h) and those added.
bool findDialogTemplate(unsigned id, DialogTemplate& out);

// Adds a script with its id header (a test's own templates). The texts must outlive the program.
bool addDialogScript(const char* script, const char* idHeader);

} // namespace gb::ui::headless
