// The evaluation of curves and patches and the placement of symmetry copies, without any display:
// the views' vertex arrays and the mesh export share it, so both give the same geometry.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "model/document.h"

namespace zarni {

// The subdivision actually used for a level: 1..20.
int32_t TessellationSteps(int32_t divLevel);

// The grid parameters at `steps` pieces over 0..1, accumulated step by step as the evaluator
// meshes do (so the last one need not be exactly 1).
std::vector<float> GridParameters(int32_t steps);

// The cubic through four control points (12 floats) at t, in the operation order of the GL's
// one-dimensional evaluator.
void CubicAt(const float* cp, float t, float* out);

// The normal of the u and v derivatives `du` and `dv` (anything indexed 0..2), normalised, or
// zero where their cross product vanishes: written out once so that every evaluation of the
// surface gives the same bits.
template <typename Vector>
void UnitNormal(const Vector& du, const Vector& dv, float* out) {
    float n[3] = {du[1] * dv[2] - du[2] * dv[1], du[2] * dv[0] - du[0] * dv[2],
                  du[0] * dv[1] - du[1] * dv[0]};
    const float len2 = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
    if (len2 > 0.0f) {
        const float inv = 1.0f / std::sqrt(len2);
        for (float& c : n)
            c *= inv;
    }
    out[0] = n[0];
    out[1] = n[1];
    out[2] = n[2];
}

// A point of a patch net (48 floats: rows along v, four positions along u in each) with the
// normal the evaluator's automatic normals give: the normalised cross product of the u and v
// derivatives, or zero where that product vanishes.
void PatchPointAt(const float* net, float u, float v, float* point, float* normal);

// A whole patch at the grid parameters: (n + 1)^2 points and normals, 3 floats each, row j
// (v = params[j]) after row j - 1, u running within a row.
void EvaluatePatchGrid(const float* net, const std::vector<float>& params, float* points,
                       float* normals);

// One symmetry copy of an object: the move pass, the windmill turn and the mirrored axes
// (bits 1 X, 2 Y, 4 Z; 0 the unmirrored copy).
struct SymmetryCopy {
    bool moved = false;
    int32_t turn = 0;    // 0..n-1 of the windmill
    float angle = 0.0f;  // degrees, (turn * 360) / n in integers
    int32_t axis = 0;    // 1 X, 2 Y, 3 Z; anything else turns nothing
    int32_t mirror = 0;
};

// Calls `visit(copy)` for every copy in the order the views draw them: the move pass outside,
// the windmill turns inside it, the unmirrored copy and then each non-empty subset of the
// mirror axes (X before Y before Z) innermost.
template <typename Visit>
void ForEachSymmetryCopyOf(const PatchObject& obj, Visit visit) {
    const bool move = (obj.mirrorFlags & kMirrorMove) != 0;
    const int32_t n = obj.windmillCount;
    const int32_t mirror = obj.mirrorFlags & 7;
    SymmetryCopy copy;
    copy.axis = obj.windmillAxis;
    for (int t = 0; t <= (move ? 1 : 0); ++t) {
        copy.moved = t == 1;
        for (int32_t k = 0; k < n; ++k) {
            copy.turn = k;
            copy.angle = static_cast<float>((k * 360) / n);
            for (int32_t c = 0; c <= 7; ++c) {
                if ((c & ~mirror) != 0) continue;
                copy.mirror = c;
                visit(static_cast<const SymmetryCopy&>(copy));
            }
        }
    }
}

// The number of copies the symmetry settings of `obj` draw (1 when it has none).
int32_t SymmetryCopyCount(const PatchObject& obj);

// A copy's placement as GL composes it: translate, then rotate, then scale, applied to a point
// as p' = linear * p + offset. The linear part is orthonormal, so it carries normals as well.
struct CopyTransform {
    float linear[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};  // row major
    float offset[3] = {0, 0, 0};
    bool mirrored = false;  // an odd number of mirrored axes: the copy turns its winding
};
CopyTransform SymmetryTransform(const PatchObject& obj, const SymmetryCopy& copy);

}  // namespace zarni
