#include "ui/framework/dialog.h"

#include "ui/framework/data_exchange.h"
#include "ui/framework/dialog_backend.h"
#include "ui/framework/user.h"

namespace gb::ui {

namespace {
// Dialogs with a window, innermost last.
std::vector<Dialog*> g_open;
} // namespace

Dialog* Dialog::FromHandle(platform::WindowHandle handle) {
    for (Dialog* d : g_open) {
        if (d->Window() != nullptr && d->Window()->handle() == handle) return d;
    }
    return nullptr;
}

Dialog::Dialog(unsigned templateId, Dialog* parent) : templateId_(templateId), parent_(parent) {}

Dialog::~Dialog() {
    std::erase(g_open, this);
}

int Dialog::DoModal() {
    ended_ = false;
    return runModalDialog(*this);
}

void Dialog::EndDialog(int result) {
    if (window_ == nullptr) return;
    ended_ = true;
    window_->end(result);
}

bool Dialog::UpdateData(bool saveAndValidate) {
    if (window_ == nullptr) return false;
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

void Dialog::SetWindowText(const std::string& title) {
    if (window_ != nullptr) window_->setText(0, title);
}

std::string Dialog::GetWindowText() const {
    return window_ != nullptr ? window_->text(0) : std::string();
}

void Dialog::GotoDlgCtrl(int id) {
    if (window_ == nullptr) return;
    window_->setFocus(id);
    window_->selectAll(id);
}

int Dialog::GetFocusId() const {
    return window_ != nullptr ? window_->focusId() : 0;
}

void Dialog::PostCommand(int id) {
    if (window_ != nullptr) window_->postCommand(id);
}

int Dialog::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
    return currentUser().messageBox(window_ != nullptr ? window_->handle() : mainWindow(),
                                    text.c_str(), caption.c_str(), style);
}

Dialog* Dialog::Innermost() {
    return g_open.empty() ? nullptr : g_open.back();
}

bool Dialog::HandleInitDialog(DialogWindow& window) {
    window_ = &window;
    ended_ = false;
    g_open.push_back(this);
    return OnInitDialog();
}

void Dialog::HandleOpened() {
    if (window_ != nullptr && !ended_) currentUser().dialogOpened(*this);
}

void Dialog::HandleNotify(int id, Notify notify, int argument) {
    if (window_ == nullptr) return;
    if (notify == Notify::Clicked && id == platform::IdOk) {
        OnOK();
        return;
    }
    if (notify == Notify::Clicked && id == platform::IdCancel) {
        OnCancel();
        return;
    }
    for (const Handler& h : handlers_) {
        if (h.id == id && h.notify == notify) {
            // A copy: the handler may register handlers or end the dialog.
            std::function<void(int)> run = h.run;
            run(argument);
            return;
        }
    }
}

void Dialog::HandleDestroyed() {
    window_ = nullptr;
    std::erase(g_open, this);
}

void Dialog::DoDataExchange(DataExchange&) {}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::OnOK() {
    if (UpdateData(true)) EndDialog(platform::IdOk);
}

void Dialog::OnCancel() {
    EndDialog(platform::IdCancel);
}

void Dialog::OnCommand(int id, std::function<void()> handler) {
    OnNotify(id, Notify::Clicked, [h = std::move(handler)](int) { h(); });
}

void Dialog::OnNotify(int id, Notify notify, std::function<void(int)> handler) {
    for (Handler& h : handlers_) {
        if (h.id == id && h.notify == notify) {
            h.run = std::move(handler);
            return;
        }
    }
    handlers_.push_back({id, notify, std::move(handler)});
}

} // namespace gb::ui
