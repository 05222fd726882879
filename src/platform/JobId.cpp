#include "platform/JobId.h"

#include <atomic>
#include <chrono>

namespace vyx {

std::uint32_t NewJobId() {
    static std::atomic<std::uint32_t> last{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    std::uint32_t previous = last.load(std::memory_order_relaxed);
    std::uint32_t next = 0;
    do {
        // Compared as a difference so the id keeps growing across the 49-day wrap of the counter.
        next = static_cast<std::int32_t>(ms - previous) > 0 ? ms : previous + 1;
    } while (!last.compare_exchange_weak(previous, next, std::memory_order_relaxed));
    return next;
}

}  // namespace vyx
