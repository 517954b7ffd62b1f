// Monotonic milliseconds since an arbitrary start, truncated to 32 bits.
#include "platform/clock.h"

#include <chrono>

namespace zarni {

uint32_t TickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace zarni
