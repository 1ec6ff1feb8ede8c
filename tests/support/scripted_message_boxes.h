#pragma once
// Answers message boxes for a test and records every box shown, on both builds.

#include "platform/message_box.h"

#include <deque>
#include <string>
#include <vector>

namespace gb::test {

struct ShownBox {
    std::string caption;
    std::string text;
    unsigned style;
};

// Installed for its lifetime. Answers from the queue of scripted answers, then with each box's
// default button.
class ScriptedMessageBoxes : public platform::MessageBoxResponder {
public:
    ScriptedMessageBoxes() { previous_ = platform::setMessageBoxResponder(this); }
    ~ScriptedMessageBoxes() override { platform::setMessageBoxResponder(previous_); }
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    void queueAnswer(int button) { answers_.push_back(button); }
    const std::vector<ShownBox>& shown() const { return shown_; }
    void clear() { shown_.clear(); }

    int answer(platform::WindowHandle, const char* text, const char* caption,
               unsigned style) override {
        shown_.push_back({caption != nullptr ? caption : "", text != nullptr ? text : "", style});
        if (answers_.empty()) return platform::defaultButton(style);
        const int button = answers_.front();
        answers_.pop_front();
        return button;
    }

private:
    platform::MessageBoxResponder* previous_ = nullptr;
    std::deque<int> answers_;
    std::vector<ShownBox> shown_;
};

} // namespace gb::test
