#pragma once
// What each backend (win32/, headless/) provides to the shared framework code.

namespace gb::ui {

class Dialog;
class User;

// Creates the dialog's window from its template, owned by its parent dialog or else the main
// window, runs it modally and returns the result given to EndDialog, or -1 when it cannot be
// created. Calls Dialog::HandleInitDialog, then HandleOpened from inside the modal loop, and
// HandleDestroyed before returning.
int runModalDialog(Dialog& dialog);

// The backend's system user (user.h).
User& backendSystemUser();

} // namespace gb::ui
