// The millisecond clock of the editing code: monotonic, wrapping at 32 bits like the tick
// count the timings were written against.
#pragma once

#include <cstdint>

namespace zarni {

uint32_t TickCount();

}  // namespace zarni
