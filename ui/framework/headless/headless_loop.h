#pragma once
// The loop that the headless backend runs a modal dialog in. By default the platform's nested
// modal loop, so the thread's timers keep firing while a dialog is open, as on Windows; a test can
// install another, e.g. one that only works off the posted work (QueueLoop).

#include "platform/event_loop.h"

#include <deque>
#include <functional>

namespace gb::ui::headless {

class HeadlessLoop {
public:
    virtual ~HeadlessLoop() = default;
    // Runs until end(modal, ...) and returns its result; dispatches posted work meanwhile.
    virtual int run(platform::ModalLoop& modal) = 0;
    virtual void end(platform::ModalLoop& modal, int result) = 0;
    // Queues work to be done by the running loop after what is queued already.
    virtual void post(std::function<void()> work) = 0;
};

// The platform's loop.
HeadlessLoop& platformLoop();

// Installs a loop for the following dialogs (nullptr: the platform's). Returns the previous one.
HeadlessLoop* setHeadlessLoop(HeadlessLoop* loop);
HeadlessLoop& headlessLoop();

// A loop of posted work only: a run ends when its modal loop is ended or, with nothing left to do,
// at once with -1 (nothing else could ever end it).
class QueueLoop : public HeadlessLoop {
public:
    int run(platform::ModalLoop& modal) override;
    void end(platform::ModalLoop& modal, int result) override;
    void post(std::function<void()> work) override;

private:
    std::deque<std::function<void()>> work_;
};

} // namespace gb::ui::headless
