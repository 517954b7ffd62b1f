// How the program's heap is tuned at start-up.
#pragma once

namespace zarni {

// Mesa's software renderer allocates and frees frame-sized buffers on every frame. With glibc's
// defaults they are mapped and unmapped each time and the kernel clears the fresh pages, about
// 40% of a frame; keeping them in the heap lets every frame reuse the memory. The program calls
// this once at start-up, and the drawing benchmarks do too, so they measure what it does.
void KeepFrameBuffersInTheHeap();

}  // namespace zarni
