#include "ui/framework/headless/headless_loop.h"

namespace gb::ui::headless {

// Stand-in until the platform's nested modal loop is available.
HeadlessLoop& platformLoop() {
    static QueueLoop loop;
    return loop;
}

} // namespace gb::ui::headless
