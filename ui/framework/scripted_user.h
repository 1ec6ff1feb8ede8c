#pragma once
// A user that follows a script: it answers message boxes from a queue of answers (then with each
// box's default button) and records every box, and it drives each modal dialog that opens with
// the next script in its queue. The same script runs against the headless controls and, under
// Wine, against the real ones, because it acts only through the dialog's input operations.
//
//   ScriptedUser user;
//   ScopedUser scope(user);
//   user.expectDialog(IDD_GENERAL_CONFIG)
//       .type(IDC_CHECK_PERIOD, "99")
//       .click(IDOK)
//       .expectBox("Please enter an integer between 100 and 10000.", "Glowbridge",
//                  MbOk | MbIconWarning)
//       .expectFocus(IDC_CHECK_PERIOD)
//       .click(IDCANCEL);
//   dialog.DoModal();
//   EXPECT_EQ(user.problems(), std::vector<std::string>{});
//
// Everything that does not go as scripted is collected in problems(): a dialog opening that was
// not expected or out of turn (it is cancelled), a dialog its script left open (it is cancelled
// too, so a test never hangs), a failed expectation, a script never used.

#include "ui/framework/user.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gb::ui {

struct ShownBox {
    std::string caption;
    std::string text;
    unsigned style = 0;
    // The template id of the innermost open dialog when the box appeared, 0 when none.
    unsigned dialogId = 0;
};

class ScriptedUser;

class DialogScript {
public:
    using Step = std::function<void(Dialog&)>;

    DialogScript(ScriptedUser& user, unsigned templateId) : user_(user), templateId_(templateId) {}
    unsigned templateId() const { return templateId_; }

    // A person's input.
    DialogScript& type(int id, const std::string& text);
    DialogScript& click(int id);
    // Clicks the entry (combo box, list box, list view row) with exactly this text.
    DialogScript& select(int id, const std::string& text);
    DialogScript& selectIndex(int id, int index);
    DialogScript& doubleClick(int id, const std::string& text);
    DialogScript& clickColumn(int id, int column);
    // The answer to the next box, in turn with the answers queued before.
    DialogScript& answerNextBox(int button);

    // Expectations, checked when the script reaches them.
    // The oldest box not yet expected must be this one.
    DialogScript& expectBox(const std::string& text, const std::string& caption, unsigned style);
    DialogScript& expectNoBox();
    DialogScript& expectFocus(int id);
    DialogScript& expectText(int id, const std::string& text);
    DialogScript& expectOpen();
    // Any other step, e.g. a check of the dialog's controls or fields.
    DialogScript& then(Step step);

    void run(Dialog& dialog) const;

private:
    ScriptedUser& user_;
    unsigned templateId_;
    std::vector<Step> steps_;
};

class ScriptedUser : public User {
public:
    ScriptedUser() = default;
    ~ScriptedUser() override;
    ScriptedUser(const ScriptedUser&) = delete;
    ScriptedUser& operator=(const ScriptedUser&) = delete;

    // Appends a script for the next dialog to open; it must have this template id.
    DialogScript& expectDialog(unsigned templateId);
    void queueAnswer(int button) { answers_.push_back(button); }

    const std::vector<ShownBox>& boxes() const { return boxes_; }
    // What went differently from the scripts; also lists scripts not used yet.
    std::vector<std::string> problems() const;
    void problem(const std::string& what) { problems_.push_back(what); }

    int messageBox(platform::WindowHandle owner, const char* text, const char* caption,
                   unsigned style) override;
    void dialogOpened(Dialog& dialog) override;

private:
    friend class DialogScript;

    std::deque<std::unique_ptr<DialogScript>> scripts_;
    std::deque<int> answers_;
    std::vector<ShownBox> boxes_;
    std::size_t boxesExpected_ = 0;
    std::vector<std::string> problems_;
};

} // namespace gb::ui
