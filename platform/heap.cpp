// Heap tuning for drawing with a software renderer.
#include "platform/heap.h"

#include <malloc.h>

namespace zarni {

void KeepFrameBuffersInTheHeap() {
    // Setting any of these also stops glibc from raising the mapping threshold by itself, so the
    // threshold is set too, above the size of a frame's buffers.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TOP_PAD, 16 * 1024 * 1024);
}

}  // namespace zarni
