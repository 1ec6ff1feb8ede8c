#include "ui/framework/user.h"

#include "ui/framework/dialog_backend.h"

#include <string>

namespace gb::ui {

namespace {
User* g_user = nullptr;
std::string g_title = "Glowbridge";
platform::WindowHandle g_mainWindow = nullptr;

// Without an installed user, boxes take the platform's way (which honours a responder a test of
// the lower layers installed) and dialogs are left to the system user.
class DefaultUser : public User {
public:
    int messageBox(platform::WindowHandle owner, const char* text, const char* caption,
                   unsigned style) override {
        return platform::messageBox(owner, text, caption, style);
    }
    void dialogOpened(Dialog& dialog) override { backendSystemUser().dialogOpened(dialog); }
};

DefaultUser g_defaultUser;
} // namespace

User& currentUser() {
    return g_user != nullptr ? *g_user : g_defaultUser;
}

User& systemUser() {
    return backendSystemUser();
}

ScopedUser::ScopedUser(User& user)
    : user_(user), previousUser_(g_user),
      previousResponder_(platform::setMessageBoxResponder(this)) {
    g_user = &user;
}

ScopedUser::~ScopedUser() {
    g_user = previousUser_;
    platform::setMessageBoxResponder(previousResponder_);
}

int ScopedUser::answer(platform::WindowHandle owner, const char* text, const char* caption,
                       unsigned style) {
    return user_.messageBox(owner, text, caption, style);
}

const char* applicationTitle() {
    return g_title.c_str();
}

void setApplicationTitle(const char* title) {
    g_title = title != nullptr ? title : "";
}

platform::WindowHandle mainWindow() {
    return g_mainWindow;
}

void setMainWindow(platform::WindowHandle window) {
    g_mainWindow = window;
}

} // namespace gb::ui
