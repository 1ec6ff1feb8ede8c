#include "ui/framework/headless/headless_loop.h"

namespace gb::ui::headless {

namespace {
HeadlessLoop* g_loop = nullptr;
} // namespace

HeadlessLoop* setHeadlessLoop(HeadlessLoop* loop) {
    HeadlessLoop* previous = g_loop;
    g_loop = loop;
    return previous;
}

HeadlessLoop& headlessLoop() {
    return g_loop != nullptr ? *g_loop : platformLoop();
}

int QueueLoop::run(platform::ModalLoop& modal) {
    while (!modal.ended && !work_.empty()) {
        std::function<void()> work = std::move(work_.front());
        work_.pop_front();
        work();
    }
    if (!modal.ended) end(modal, -1);
    return modal.result;
}

void QueueLoop::end(platform::ModalLoop& modal, int result) {
    modal.ended = true;
    modal.result = result;
}

void QueueLoop::post(std::function<void()> work) {
    work_.push_back(std::move(work));
}

} // namespace gb::ui::headless
