#pragma once
// The one way message boxes and dialogs reach the person in front of the program, or whoever
// stands in for them: the system (real boxes; a person drives the dialogs), the headless console,
// or a test's scripted user. One user is installed at a time, by a ScopedUser.
//
// While a user is installed, platform::messageBox of the lower layers reaches it too, so every
// box the program shows passes through the same place.

#include "platform/message_box.h"

namespace gb::ui {

class Dialog;

class User {
public:
    virtual ~User() = default;
    // Shows a modal box owned by `owner` (or by nobody) and returns the button chosen.
    virtual int messageBox(platform::WindowHandle owner, const char* text, const char* caption,
                           unsigned style) = 0;
    // Called once for every modal dialog, from inside its own modal loop, once the dialog has
    // opened (after OnInitDialog). A person needs nothing here; a script drives the dialog.
    virtual void dialogOpened(Dialog& dialog) = 0;
};

// The installed user, or the backend's system user when none is installed.
User& currentUser();

// The backend's own user: Win32 shows real boxes and leaves dialogs to the person; headless
// writes boxes to standard error and takes their default button.
User& systemUser();

// Installs a user for its lifetime and restores the previous one after.
class ScopedUser : private platform::MessageBoxResponder {
public:
    explicit ScopedUser(User& user);
    ~ScopedUser() override;
    ScopedUser(const ScopedUser&) = delete;
    ScopedUser& operator=(const ScopedUser&) = delete;

private:
    int answer(platform::WindowHandle owner, const char* text, const char* caption,
               unsigned style) override;

    User& user_;
    User* previousUser_;
    platform::MessageBoxResponder* previousResponder_;
};

// The application's title, the caption of the framework's own messages ("Glowbridge").
const char* applicationTitle();
void setApplicationTitle(const char* title);

// The window that owns dialogs opened without a parent dialog (the main frame), or null.
platform::WindowHandle mainWindow();
void setMainWindow(platform::WindowHandle window);

} // namespace gb::ui
