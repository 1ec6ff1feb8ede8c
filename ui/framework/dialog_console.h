#pragma once
// Dialogs on a text console, for the native program: the open dialog is described as text, and
// lines of text act on it as a person would. The program's one standard-input handler passes a
// line here while a dialog is open.
//
//   show                 describe the dialog again
//   type ID TEXT         replace an edit's text by typing TEXT (may be empty)
//   click ID             click a button or check box (1 is OK, 2 is Cancel)
//   select ID TEXT       click the entry with exactly TEXT in a list or combo box, or a row
//   dblclick ID TEXT     double-click it
//   column ID N          click the header of column N of a list view

#include <string>

namespace gb::ui {

class Dialog;

// The dialog's title, then one line per control: id, text or entries, selection, state; a
// label or group box as "- text".
std::string describeDialog(Dialog& dialog);

// Runs one command line on the innermost open dialog. False when no dialog is open, so the line
// belongs to someone else. `reply` gets the dialog's description after the command ("[dialog
// closed]" when the command ended it), or what was wrong with the line.
bool runDialogCommand(const std::string& line, std::string& reply);

} // namespace gb::ui
