// The walks of a frame drawn in slices.
#include "gl/frame_slices.h"

namespace zarni {

void FrameSlices::Restart() {
    resumeAt_ = 0;
    next_ = 0;
    drawnNow_ = 0;
    stopped_ = false;
    begun_ = false;
}

void FrameSlices::BeginSlice(Clock::time_point deadline, size_t maxPieces) {
    deadline_ = deadline;
    maxPieces_ = maxPieces == 0 ? 1 : maxPieces;
    next_ = 0;
    drawnNow_ = 0;
    stopped_ = false;
    begun_ = true;
}

bool FrameSlices::Take() {
    const size_t index = next_++;
    if (stopped_ || index < resumeAt_) return false;
    // The clock is read only once a piece was drawn: the first piece of a walk always goes.
    if (drawnNow_ > 0 && (drawnNow_ >= maxPieces_ || Clock::now() >= deadline_)) {
        stopped_ = true;
        return false;
    }
    ++drawnNow_;
    resumeAt_ = index + 1;
    return true;
}

double FrameSlices::doneShare() const {
    if (!stopped_ || next_ == 0) return 1.0;
    return static_cast<double>(resumeAt_) / static_cast<double>(next_);
}

}  // namespace zarni
