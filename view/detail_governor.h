// The frame budget of the views while the user interacts: which level of detail the next frame
// draws so that every view it redraws fits the budget, learnt from the frames just drawn, and
// when the full-detail picture is owed again. Display-free: times come in as milliseconds.
#pragma once

#include <cstdint>

namespace zarni {

// What one frame draws: `steps` divisions a patch and segment (the full level's own steps when
// `full`), every `stride`-th group of patches or curves and symmetry copy (1: all of them).
struct DetailLevel {
    bool full = true;
    int32_t steps = 0;
    int32_t stride = 1;
    bool operator==(const DetailLevel& o) const {
        return full == o.full && steps == o.steps && stride == o.stride;
    }
    bool operator!=(const DetailLevel& o) const { return !(*this == o); }
};

// The size of what a frame would draw at full detail, summed over the views it redraws.
struct SceneLoad {
    double patchCopies = 0.0;
    double segmentCopies = 0.0;
    double points = 0.0;  // control points drawn one by one (the wireframe views)
};

// The relative cost of drawing `load` at `steps` divisions and `stride`: vertices, plus a share
// for every draw a patch or segment costs whatever its divisions.
double WorkOf(const SceneLoad& load, int32_t steps, int32_t stride);

class DetailGovernor {
  public:
    static constexpr double kBudgetMs = 50.0;  // all views of one step, swaps included
    static constexpr uint32_t kStillMs = 100;  // input still this long: full detail again
    // A change that is not an interaction (a key command) still gets a reduced picture first
    // when the full one is estimated to take longer than this.
    static constexpr double kSlowFullMs = 400.0;
    static constexpr int32_t kMaxStride = 64;
    // A full frame estimated above this is drawn in slices between turns of the event loop,
    // each about this long, and shown when the last one is drawn.
    static constexpr double kSliceMs = 50.0;

    bool enabled() const { return enabled_; }
    void SetEnabled(bool on);

    // The user moved something (a drag step, a wheel turn) at `nowMs`.
    void Input(uint32_t nowMs);
    // The drag ended (its button went up): the next frame draws full detail at once.
    void Settle() { anyInput_ = false; }
    // Something else changed the picture: counts as input only while the full picture of
    // `fullLoad` is slow, so a light document is drawn at full detail at once.
    void Change(uint32_t nowMs, int32_t fullSteps, const SceneLoad& fullLoad);

    // The level of the frame drawn at `nowMs` of a scene whose full detail has `fullSteps`.
    DetailLevel Choose(uint32_t nowMs, int32_t fullSteps, const SceneLoad& load) const;
    // The level that fits the budget by the present estimate, whether or not the user is
    // interacting (a picture that replaces one abandoned half-way).
    DetailLevel Quick(int32_t fullSteps, const SceneLoad& load) const;
    // The frame just drawn at `level` took `ms` for all its views.
    void FrameDrawn(const DetailLevel& level, int32_t fullSteps, const SceneLoad& load, double ms);

    // A reduced frame is on screen: the full-detail picture is owed once the input is still.
    bool fullOwed() const { return fullOwed_; }
    // When that is (the last input plus the still period).
    uint32_t settleAtMs() const { return lastInputMs_ + kStillMs; }
    bool Interacting(uint32_t nowMs) const;
    // The estimated milliseconds of a frame of `load` at `steps` and `stride`; 0 before any
    // frame was measured.
    double Estimate(const SceneLoad& load, int32_t steps, int32_t stride) const;

  private:
    bool enabled_ = true;
    bool anyInput_ = false;
    bool fullOwed_ = false;
    uint32_t lastInputMs_ = 0;
    double msPerWork_ = 0.0;  // learnt cost, 0 until a frame was measured
};

}  // namespace zarni
