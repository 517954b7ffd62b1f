// The frame budget while the user interacts, learnt from the frames just drawn.
#include "view/detail_governor.h"

#include <algorithm>
#include <cmath>

namespace zarni {

namespace {

// Per draw of a patch or a segment, in vertices' worth: what a patch costs beyond its grid
// (its share of a draw call, the symmetry copy's matrix).
constexpr double kPatchOverhead = 3.0;
constexpr double kSegmentOverhead = 1.0;
// A point costs more than an evaluated vertex: it is sent by itself, with its colour.
constexpr double kPointWork = 4.0;

// The reduced levels tried below the full one, finest first. Few of them, so that the arrays of
// a reduced level are rebuilt seldom while the frame times wander.
constexpr int32_t kLadder[] = {16, 12, 10, 8, 6, 4, 3, 2, 1};

}  // namespace

double WorkOf(const SceneLoad& load, int32_t steps, int32_t stride) {
    const double n = std::max(1, steps);
    const double s = std::max(1, stride);
    return (load.patchCopies * ((n + 1) * (n + 1) + kPatchOverhead) +
            load.segmentCopies * (n + 1 + kSegmentOverhead) + load.points * kPointWork) /
           s;
}

void DetailGovernor::SetEnabled(bool on) {
    enabled_ = on;
    if (!on) fullOwed_ = false;
}

void DetailGovernor::Input(uint32_t nowMs) {
    anyInput_ = true;
    lastInputMs_ = nowMs;
}

void DetailGovernor::Change(uint32_t nowMs, int32_t fullSteps, const SceneLoad& fullLoad) {
    if (Estimate(fullLoad, fullSteps, 1) > kSlowFullMs) Input(nowMs);
}

bool DetailGovernor::Interacting(uint32_t nowMs) const {
    // Unsigned difference: the tick count wraps at 32 bits.
    return enabled_ && anyInput_ && nowMs - lastInputMs_ < kStillMs;
}

double DetailGovernor::Estimate(const SceneLoad& load, int32_t steps, int32_t stride) const {
    return msPerWork_ * WorkOf(load, steps, stride);
}

DetailLevel DetailGovernor::Choose(uint32_t nowMs, int32_t fullSteps, const SceneLoad& load) const {
    DetailLevel full;
    full.steps = fullSteps;
    // Before anything was measured the cost is unknown: full detail, as the program always drew.
    if (!Interacting(nowMs) || msPerWork_ <= 0.0) return full;
    return Quick(fullSteps, load);
}

DetailLevel DetailGovernor::Quick(int32_t fullSteps, const SceneLoad& load) const {
    DetailLevel full;
    full.steps = fullSteps;
    if (!enabled_ || Estimate(load, fullSteps, 1) <= kBudgetMs) return full;
    DetailLevel level;
    level.full = false;
    for (int32_t steps : kLadder) {
        if (steps >= fullSteps) continue;
        level.steps = steps;
        if (Estimate(load, steps, 1) <= kBudgetMs) return level;
    }
    // Even one division a patch is too much: fewer patches, never none.
    level.steps = 1;
    const double over = Estimate(load, 1, 1) / kBudgetMs;
    level.stride = std::clamp(static_cast<int32_t>(std::ceil(over)), 1, kMaxStride);
    return level;
}

void DetailGovernor::FrameDrawn(const DetailLevel& level, int32_t fullSteps, const SceneLoad& load,
                                double ms) {
    const double work = WorkOf(load, level.full ? fullSteps : level.steps, level.stride);
    if (work > 0.0 && ms > 0.0) {
        const double measured = ms / work;
        // A slower frame is believed at once, so the next step fits again; a faster one only
        // half-way, so one lucky frame does not bring back a level that overruns.
        msPerWork_ =
            (msPerWork_ <= 0.0 || measured > msPerWork_) ? measured : 0.5 * (msPerWork_ + measured);
    }
    fullOwed_ = enabled_ && !level.full;
}

}  // namespace zarni
