// A view's picture drawn in slices: the drawing walks the whole frame each time, drawing only the
// pieces after those already in the back buffer, until its time or piece allowance runs out.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace zarni {

// The pieces of one frame in drawing order: the clear, every draw call of curves or patches of
// every symmetry copy, every run of points, each guide and picture. Everything between the
// pieces (colours, lights, matrices) is done on every walk, so a frame finished over several
// walks leaves the same pixels as one drawn at once.
class FrameSlices {
  public:
    using Clock = std::chrono::steady_clock;

    // The next walk starts the frame again from its first piece.
    void Restart();
    // Begins one walk: the pieces drawn by earlier walks are skipped, and once `deadline` has
    // passed or `maxPieces` were drawn the rest wait for the next walk. Every walk draws at
    // least one piece, so a frame always gets finished.
    void BeginSlice(Clock::time_point deadline, size_t maxPieces = SIZE_MAX);
    // Asked before each piece: whether this walk draws it.
    bool Take();
    // After a walk: whether every piece of the frame is now drawn.
    bool complete() const { return !stopped_; }
    // Whether a frame was begun and is not finished.
    bool inProgress() const { return begun_ && stopped_; }
    // The share of the frame's pieces drawn so far (after a walk; 1 when finished).
    double doneShare() const;
    size_t piecesDrawn() const { return resumeAt_; }
    size_t pieceCount() const { return next_; }

  private:
    Clock::time_point deadline_{};
    size_t maxPieces_ = SIZE_MAX;
    size_t resumeAt_ = 0;  // pieces drawn by the walks so far
    size_t next_ = 0;      // the index of the next piece in this walk
    size_t drawnNow_ = 0;  // pieces drawn by this walk
    bool stopped_ = false;
    bool begun_ = false;
};

// Whether the piece about to be drawn is drawn (always, when the picture is not sliced).
inline bool TakePiece(FrameSlices* slices) {
    return slices == nullptr || slices->Take();
}

}  // namespace zarni
