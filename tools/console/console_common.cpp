#include "tools/console/console.h"

#include <chrono>
#include <thread>

namespace gb::tools {

void sleepUnlessStopped(int ms) {
    // Short slices keep Ctrl-C responsive without any platform wait primitive.
    constexpr int kSlice = 20;
    for (int slept = 0; slept < ms && !stopRequested(); slept += kSlice) {
        const int step = ms - slept < kSlice ? ms - slept : kSlice;
        std::this_thread::sleep_for(std::chrono::milliseconds(step));
    }
}

} // namespace gb::tools
