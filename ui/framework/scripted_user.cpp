#include "ui/framework/scripted_user.h"

#include "ui/framework/dialog.h"

#include <cstdio>

namespace gb::ui {

namespace {

std::string describe(const std::string& text, const std::string& caption, unsigned style) {
    char styleText[16];
    std::snprintf(styleText, sizeof styleText, "0x%X", style);
    return "[" + caption + "] \"" + text + "\" style " + styleText;
}

// The index of the entry with exactly `text` in a combo box, list box or list view, or -1.
int findEntry(Dialog& dialog, int id, const std::string& text) {
    DialogWindow* w = dialog.Window();
    const int listCount = w->listCount(id);
    for (int i = 0; i < listCount; ++i) {
        if (w->listText(id, i) == text) return i;
    }
    const int rows = w->lvCount(id);
    for (int i = 0; i < rows; ++i) {
        if (w->lvText(id, i, 0) == text) return i;
    }
    return -1;
}

} // namespace

DialogScript& DialogScript::type(int id, const std::string& text) {
    return then([id, text](Dialog& d) { d.Window()->userType(id, text); });
}

DialogScript& DialogScript::click(int id) {
    return then([id](Dialog& d) { d.Window()->userClick(id); });
}

DialogScript& DialogScript::select(int id, const std::string& text) {
    ScriptedUser* user = &user_;
    return then([user, id, text](Dialog& d) {
        const int index = findEntry(d, id, text);
        if (index < 0) return user->problem("no entry \"" + text + "\" to select");
        d.Window()->userSelect(id, index);
    });
}

DialogScript& DialogScript::selectIndex(int id, int index) {
    return then([id, index](Dialog& d) { d.Window()->userSelect(id, index); });
}

DialogScript& DialogScript::doubleClick(int id, const std::string& text) {
    ScriptedUser* user = &user_;
    return then([user, id, text](Dialog& d) {
        const int index = findEntry(d, id, text);
        if (index < 0) return user->problem("no entry \"" + text + "\" to double-click");
        d.Window()->userDoubleClick(id, index);
    });
}

DialogScript& DialogScript::clickColumn(int id, int column) {
    return then([id, column](Dialog& d) { d.Window()->userColumnClick(id, column); });
}

DialogScript& DialogScript::answerNextBox(int button) {
    ScriptedUser* user = &user_;
    return then([user, button](Dialog&) { user->queueAnswer(button); });
}

DialogScript& DialogScript::expectBox(const std::string& text, const std::string& caption,
                                      unsigned style) {
    ScriptedUser* user = &user_;
    return then([user, text, caption, style](Dialog&) {
        const std::string expected = describe(text, caption, style);
        if (user->boxesExpected_ >= user->boxes_.size()) {
            return user->problem("expected box " + expected + ", none shown");
        }
        const ShownBox& box = user->boxes_[user->boxesExpected_++];
        const std::string shown = describe(box.text, box.caption, box.style);
        if (shown != expected) user->problem("expected box " + expected + ", shown " + shown);
    });
}

DialogScript& DialogScript::expectNoBox() {
    ScriptedUser* user = &user_;
    return then([user](Dialog&) {
        while (user->boxesExpected_ < user->boxes_.size()) {
            const ShownBox& box = user->boxes_[user->boxesExpected_++];
            user->problem("unexpected box " + describe(box.text, box.caption, box.style));
        }
    });
}

DialogScript& DialogScript::expectFocus(int id) {
    ScriptedUser* user = &user_;
    return then([user, id](Dialog& d) {
        const int focus = d.GetFocusId();
        if (focus != id) {
            user->problem("focus on " + std::to_string(focus) + ", expected on " +
                          std::to_string(id));
        }
    });
}

DialogScript& DialogScript::expectText(int id, const std::string& text) {
    ScriptedUser* user = &user_;
    return then([user, id, text](Dialog& d) {
        const std::string shown = d.Window()->text(id);
        if (shown != text) {
            user->problem("control " + std::to_string(id) + " shows \"" + shown +
                          "\", expected \"" + text + "\"");
        }
    });
}

DialogScript& DialogScript::expectOpen() {
    ScriptedUser* user = &user_;
    return then([user](Dialog& d) {
        if (d.HasEnded()) user->problem("dialog " + std::to_string(d.TemplateId()) + " ended");
    });
}

DialogScript& DialogScript::then(Step step) {
    steps_.push_back(std::move(step));
    return *this;
}

void DialogScript::run(Dialog& dialog) const {
    for (const Step& step : steps_) {
        if (!dialog.IsOpen()) break;
        step(dialog);
    }
}

ScriptedUser::~ScriptedUser() = default;

DialogScript& ScriptedUser::expectDialog(unsigned templateId) {
    scripts_.push_back(std::make_unique<DialogScript>(*this, templateId));
    return *scripts_.back();
}

std::vector<std::string> ScriptedUser::problems() const {
    std::vector<std::string> all = problems_;
    for (const auto& script : scripts_) {
        all.push_back("script for dialog " + std::to_string(script->templateId()) + " not used");
    }
    return all;
}

int ScriptedUser::messageBox(platform::WindowHandle owner, const char* text, const char* caption,
                             unsigned style) {
    ShownBox box;
    box.caption = caption != nullptr ? caption : "";
    box.text = text != nullptr ? text : "";
    box.style = style;
    if (Dialog* d = Dialog::FromHandle(owner)) box.dialogId = d->TemplateId();
    boxes_.push_back(box);
    if (answers_.empty()) return platform::defaultButton(style);
    const int button = answers_.front();
    answers_.pop_front();
    return button;
}

void ScriptedUser::dialogOpened(Dialog& dialog) {
    const std::string name = "dialog " + std::to_string(dialog.TemplateId());
    if (scripts_.empty() || scripts_.front()->templateId() != dialog.TemplateId()) {
        problem(name + " opened without a script for it");
        dialog.EndDialog(platform::IdCancel);
        return;
    }
    // Taken off the queue first: the script may open nested dialogs that take the next ones.
    std::unique_ptr<DialogScript> script = std::move(scripts_.front());
    scripts_.pop_front();
    script->run(dialog);
    if (dialog.IsOpen() && !dialog.HasEnded()) {
        problem(name + " left open by its script");
        dialog.EndDialog(platform::IdCancel);
    }
}

} // namespace gb::ui
