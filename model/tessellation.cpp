// Display-free evaluation of curves, patches and symmetry copies.
#include "model/tessellation.h"

#include <algorithm>
#include <cmath>

namespace zarni {

namespace {

// de Casteljau on four 3-vectors: the point at t and the difference of the last two
// intermediate points (the derivative up to a factor of 3).
void CasteljauWithTangent(const float p[4][3], float t, float point[3], float tangent[3]) {
    const float s = 1.0f - t;
    float a[3][3], b[2][3];
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k)
            a[i][k] = s * p[i][k] + t * p[i + 1][k];
    for (int i = 0; i < 2; ++i)
        for (int k = 0; k < 3; ++k)
            b[i][k] = s * a[i][k] + t * a[i + 1][k];
    for (int k = 0; k < 3; ++k) {
        point[k] = s * b[0][k] + t * b[1][k];
        tangent[k] = b[1][k] - b[0][k];
    }
}

}  // namespace

int32_t TessellationSteps(int32_t divLevel) {
    return std::clamp(divLevel, 1, 20);
}

std::vector<float> GridParameters(int32_t steps) {
    const float du = 1.0f / static_cast<float>(steps);
    std::vector<float> params(steps + 1);
    float u = 0.0f;
    for (int32_t i = 0; i <= steps; ++i, u += du)
        params[i] = u;
    return params;
}

void CubicAt(const float* cp, float t, float* out) {
    const float s = 1.0f - t;
    float bincoeff = 3.0f;
    for (int k = 0; k < 3; ++k)
        out[k] = s * cp[k] + bincoeff * t * cp[3 + k];
    float powert = t * t;
    bincoeff *= 2.0f;
    bincoeff *= 0.5f;
    for (int k = 0; k < 3; ++k)
        out[k] = s * out[k] + bincoeff * powert * cp[6 + k];
    powert *= t;
    bincoeff *= 1.0f;
    bincoeff *= 1.0f / 3.0f;
    for (int k = 0; k < 3; ++k)
        out[k] = s * out[k] + bincoeff * powert * cp[9 + k];
}

void PatchPointAt(const float* net, float u, float v, float* point, float* normal) {
    float rowPoint[4][3], rowTangent[4][3];
    for (int r = 0; r < 4; ++r) {
        float row[4][3];
        for (int c = 0; c < 4; ++c)
            for (int k = 0; k < 3; ++k)
                row[c][k] = net[(r * 4 + c) * 3 + k];
        CasteljauWithTangent(row, u, rowPoint[r], rowTangent[r]);
    }
    float dv[3], du[3], unused[3];
    CasteljauWithTangent(rowPoint, v, point, dv);
    CasteljauWithTangent(rowTangent, v, du, unused);
    UnitNormal(du, dv, normal);
}

void EvaluatePatchGrid(const float* net, const std::vector<float>& params, float* points,
                       float* normals) {
    const size_t stride = params.size();
    for (size_t j = 0; j < stride; ++j) {
        for (size_t i = 0; i < stride; ++i) {
            const size_t at = (j * stride + i) * 3;
            PatchPointAt(net, params[i], params[j], points + at, normals + at);
        }
    }
}

int32_t SymmetryCopyCount(const PatchObject& obj) {
    const int32_t mirror = obj.mirrorFlags & 7;
    int32_t mirrored = 1;
    for (int32_t bit : {1, 2, 4})
        if (mirror & bit) mirrored *= 2;
    const int32_t passes = (obj.mirrorFlags & kMirrorMove) ? 2 : 1;
    return passes * std::max(obj.windmillCount, 0) * mirrored;
}

CopyTransform SymmetryTransform(const PatchObject& obj, const SymmetryCopy& copy) {
    CopyTransform t;
    if (copy.moved) {
        t.offset[0] = obj.moveX / 1000.0f;
        t.offset[1] = obj.moveY / 1000.0f;
        t.offset[2] = obj.moveZ / 1000.0f;
    }
    // The rotation about one coordinate axis (right-handed, as glRotatef turns).
    double r[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    const double a = static_cast<double>(copy.angle) * 3.14159265358979323846 / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    switch (copy.axis) {
        case 1:
            r[4] = c, r[5] = -s, r[7] = s, r[8] = c;
            break;
        case 2:
            r[0] = c, r[2] = s, r[6] = -s, r[8] = c;
            break;
        case 3:
            r[0] = c, r[1] = -s, r[3] = s, r[4] = c;
            break;
        default:
            break;
    }
    // The mirror scale is applied first, so it flips columns of the rotation.
    int flips = 0;
    for (int col = 0; col < 3; ++col) {
        const bool flip = (copy.mirror & (1 << col)) != 0;
        flips += flip;
        for (int row = 0; row < 3; ++row)
            t.linear[row * 3 + col] =
                static_cast<float>(flip ? -r[row * 3 + col] : r[row * 3 + col]);
    }
    t.mirrored = (flips % 2) == 1;
    return t;
}

}  // namespace zarni
