#include "ui/framework/headless/headless_loop.h"

#include <deque>

namespace gb::ui::headless {

namespace {

// Posted work travels as commands to one hidden loop window, so it is dispatched by whichever
// loop runs, the modal one included, in order with everything else the loop delivers.
class PlatformLoop : public HeadlessLoop, private platform::LoopWindowHandler {
public:
    int run(platform::ModalLoop& modal) override { return platform::runModalLoop(modal); }
    void end(platform::ModalLoop& modal, int result) override {
        platform::endModalLoop(modal, result);
    }
    void post(std::function<void()> work) override {
        if (window_ == nullptr) window_ = platform::createLoopWindow(this);
        work_.push_back(std::move(work));
        if (window_ == nullptr || !platform::postCommand(window_, 0)) work_.pop_back();
    }

private:
    void onTimer(unsigned) override {}
    void onClose() override {}
    void onCommand(unsigned) override {
        if (work_.empty()) return;
        std::function<void()> work = std::move(work_.front());
        work_.pop_front();
        work();
    }

    platform::LoopWindow window_ = nullptr;
    std::deque<std::function<void()>> work_;
};

} // namespace

HeadlessLoop& platformLoop() {
    static PlatformLoop loop;
    return loop;
}

} // namespace gb::ui::headless
