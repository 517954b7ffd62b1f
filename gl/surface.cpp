// Curves and patches of one object with every symmetry copy, through the evaluators or from
// arrays of evaluated vertices kept between frames.
#include "gl/surface.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace zarni {

namespace {

int32_t Steps(int32_t divLevel) {
    return TessellationSteps(divLevel);
}

// Only the part of a cache that matches the object's counts is drawn, so a stale or missing
// cache never reads past its end.
size_t UsableSegments(const PatchObject& obj) {
    return std::min(obj.segments.size(), obj.segmentCache.size() / 12);
}
size_t UsablePatches(const PatchObject& obj) {
    return std::min(obj.patches.size(), obj.patchCache.size() / 48);
}

// Runs `draw` once for every symmetry copy: the move pass outside, the windmill turns inside
// it and the mirror images innermost, each inside its own matrix push and pop.
template <typename Draw>
void ForEachSymmetryCopy(const PatchObject& obj, Draw draw) {
    ForEachSymmetryCopyOf(obj, [&](const SymmetryCopy& copy) {
        glPushMatrix();
        if (copy.moved) glTranslatef(obj.moveX / 1000.0f, obj.moveY / 1000.0f, obj.moveZ / 1000.0f);
        switch (copy.axis) {
            case 1:
                glRotatef(copy.angle, 1.0f, 0.0f, 0.0f);
                break;
            case 2:
                glRotatef(copy.angle, 0.0f, 1.0f, 0.0f);
                break;
            case 3:
                glRotatef(copy.angle, 0.0f, 0.0f, 1.0f);
                break;
            default:
                break;
        }
        const int32_t c = copy.mirror;
        if (c != 0) glScalef(c & 1 ? -1.0f : 1.0f, c & 2 ? -1.0f : 1.0f, c & 4 ? -1.0f : 1.0f);
        draw();
        glPopMatrix();
    });
}

void DrawCurveArrays(const ObjectArrays& a) {
    if (a.segmentsDrawn == 0) return;
    const size_t stride = static_cast<size_t>(a.steps) + 1;
    glEnableClientState(GL_VERTEX_ARRAY);
    for (size_t first = 0; first < a.segmentsDrawn; first += kSegmentsPerDraw) {
        const size_t count = std::min(kSegmentsPerDraw, a.segmentsDrawn - first);
        glVertexPointer(3, GL_FLOAT, 0, a.curveVertices.data() + first * stride * 3);
        glDrawElements(GL_LINES, static_cast<GLsizei>(count * a.steps * 2), GL_UNSIGNED_SHORT,
                       a.curveIndices.data());
    }
    glDisableClientState(GL_VERTEX_ARRAY);
}

// Indices of the joined strip of `patches` patches: every row of every patch, rows joined by two
// repeated indices (degenerate triangles, which keep the next row's winding).
size_t StripIndexCount(size_t patches, int32_t steps) {
    const size_t rows = patches * static_cast<size_t>(steps);
    return rows == 0 ? 0 : rows * 2 * (static_cast<size_t>(steps) + 1) + 2 * (rows - 1);
}

void DrawSurfaceArrays(const ObjectArrays& a) {
    if (a.patchesDrawn == 0) return;
    const size_t grid = (static_cast<size_t>(a.steps) + 1) * (a.steps + 1);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    for (size_t first = 0; first < a.patchesDrawn; first += kPatchesPerDraw) {
        const size_t count = std::min(kPatchesPerDraw, a.patchesDrawn - first);
        glVertexPointer(3, GL_FLOAT, 0, a.surfaceVertices.data() + first * grid * 3);
        glNormalPointer(GL_FLOAT, 0, a.surfaceNormals.data() + first * grid * 3);
        glDrawElements(GL_TRIANGLE_STRIP, static_cast<GLsizei>(StripIndexCount(count, a.steps)),
                       GL_UNSIGNED_SHORT, a.surfaceIndices.data());
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

}  // namespace

// Segment s of the object into its place in the arrays.
void EvaluateSegment(const PatchObject& obj, size_t s, const std::vector<float>& params,
                     ObjectArrays& out) {
    const size_t stride = params.size();
    const float* cp = obj.segmentCache.data() + 12 * s;
    float* v = out.curveVertices.data() + s * stride * 3;
    for (size_t i = 0; i < stride; ++i)
        CubicAt(cp, params[i], v + 3 * i);
}

// Patch p of the object into its place in the arrays.
void EvaluatePatch(const PatchObject& obj, size_t p, const std::vector<float>& params,
                   ObjectArrays& out) {
    const size_t grid = params.size() * params.size();
    EvaluatePatchGrid(obj.patchCache.data() + 48 * p, params,
                      out.surfaceVertices.data() + p * grid * 3,
                      out.surfaceNormals.data() + p * grid * 3);
}

bool UpdateObjectArrays(const PatchObject& obj, int32_t divLevel, ObjectArrays& arrays) {
    const bool sameLine =
        obj.cacheGeneration != 0 && obj.cacheBase != 0 && arrays.base == obj.cacheBase &&
        arrays.generation >= obj.cacheBase && arrays.divLevel == divLevel &&
        arrays.segmentCount == obj.segments.size() && arrays.patchCount == obj.patches.size() &&
        arrays.segmentsDrawn == UsableSegments(obj) && arrays.patchesDrawn == UsablePatches(obj);
    if (!sameLine) return false;
    const std::vector<float> params = GridParameters(arrays.steps);
    const uint64_t built = arrays.generation;
    for (size_t s = 0; s < arrays.segmentsDrawn; ++s)
        if (obj.segmentChangedAt[s] > built) EvaluateSegment(obj, s, params, arrays);
    for (size_t p = 0; p < arrays.patchesDrawn; ++p)
        if (obj.patchChangedAt[p] > built) EvaluatePatch(obj, p, params, arrays);
    arrays.generation = obj.cacheGeneration;
    return true;
}

void BuildObjectArrays(const PatchObject& obj, int32_t divLevel, ObjectArrays& out) {
    const int32_t n = Steps(divLevel);
    const size_t segments = UsableSegments(obj);
    const size_t patches = UsablePatches(obj);
    out.generation = obj.cacheGeneration;
    out.divLevel = divLevel;
    out.steps = n;
    out.segmentCount = obj.segments.size();
    out.patchCount = obj.patches.size();
    out.segmentsDrawn = segments;
    out.patchesDrawn = patches;

    const std::vector<float> params = GridParameters(n);

    const size_t curveStride = static_cast<size_t>(n) + 1;
    out.base = obj.cacheBase;
    out.curveVertices.resize(segments * curveStride * 3);
    for (size_t s = 0; s < segments; ++s)
        EvaluateSegment(obj, s, params, out);
    const size_t callSegments = std::min(segments, kSegmentsPerDraw);
    out.curveIndices.resize(callSegments * n * 2);
    for (size_t s = 0; s < callSegments; ++s) {
        uint16_t* idx = out.curveIndices.data() + s * n * 2;
        const size_t base = s * curveStride;
        for (int32_t i = 0; i < n; ++i) {
            idx[2 * i] = static_cast<uint16_t>(base + i);
            idx[2 * i + 1] = static_cast<uint16_t>(base + i + 1);
        }
    }

    const size_t grid = curveStride * curveStride;
    out.surfaceVertices.resize(patches * grid * 3);
    out.surfaceNormals.resize(patches * grid * 3);
    for (size_t p = 0; p < patches; ++p)
        EvaluatePatch(obj, p, params, out);
    // Row j of a patch's mesh is a strip (u_i, v_j), (u_i, v_j+1), ..., as the evaluator meshes
    // draw it; all rows of a call's patches form one strip, joined by degenerate triangles.
    const size_t callPatches = std::min(patches, kPatchesPerDraw);
    out.surfaceIndices.resize(StripIndexCount(callPatches, n));
    uint16_t* idx = out.surfaceIndices.data();
    for (size_t p = 0; p < callPatches; ++p) {
        const size_t base = p * grid;
        for (int32_t j = 0; j < n; ++j) {
            const size_t row = base + static_cast<size_t>(j) * curveStride;
            if (idx != out.surfaceIndices.data()) {
                idx[0] = idx[-1];
                idx[1] = static_cast<uint16_t>(row);
                idx += 2;
            }
            for (int32_t i = 0; i <= n; ++i) {
                *idx++ = static_cast<uint16_t>(row + i);
                *idx++ = static_cast<uint16_t>(row + i + curveStride);
            }
        }
    }
}

const ObjectArrays& GeometryCache::Get(size_t index, const PatchObject& obj, int32_t divLevel) {
    if (objects_.size() <= index) objects_.resize(index + 1);
    ObjectArrays& a = objects_[index];
    // Generation 0 means caches that never went through RebuildObjectCaches: build each time.
    const bool fresh = obj.cacheGeneration != 0 && a.generation == obj.cacheGeneration &&
                       a.divLevel == divLevel && a.segmentCount == obj.segments.size() &&
                       a.patchCount == obj.patches.size();
    if (fresh) return a;
    if (UpdateObjectArrays(obj, divLevel, a)) {
        ++updates_;
    } else {
        BuildObjectArrays(obj, divLevel, a);
        ++builds_;
    }
    return a;
}

void GeometryCache::Trim(size_t objectCount) {
    if (objects_.size() > objectCount) objects_.resize(objectCount);
}

void GeometryCache::Clear() {
    objects_.clear();
}

void EvalSegments(const PatchObject& obj, int32_t divLevel) {
    const int32_t n = Steps(divLevel);
    glMapGrid1f(n, 0.0f, 1.0f);
    const size_t count = UsableSegments(obj);
    for (size_t i = 0; i < count; ++i) {
        glMap1f(GL_MAP1_VERTEX_3, 0.0f, 1.0f, 3, 4, obj.segmentCache.data() + 12 * i);
        glEvalMesh1(GL_LINE, 0, n);
    }
}

void EvalPatches(const PatchObject& obj, int32_t divLevel) {
    const int32_t n = Steps(divLevel);
    glMapGrid2f(n, 0.0f, 1.0f, n, 0.0f, 1.0f);
    const size_t count = UsablePatches(obj);
    for (size_t i = 0; i < count; ++i) {
        glMap2f(GL_MAP2_VERTEX_3, 0.0f, 1.0f, 3, 4, 0.0f, 1.0f, 12, 4,
                obj.patchCache.data() + 48 * i);
        glEvalMesh2(GL_FILL, 0, n, 0, n);
    }
}

void DrawObjectCurves(const PatchObject& obj, int32_t divLevel, const ObjectArrays* arrays) {
    if (arrays) {
        ForEachSymmetryCopy(obj, [&] { DrawCurveArrays(*arrays); });
    } else {
        ForEachSymmetryCopy(obj, [&] { EvalSegments(obj, divLevel); });
    }
}

void DrawObjectSurfaces(const PatchObject& obj, int32_t divLevel, const ObjectArrays* arrays) {
    if (arrays) {
        ForEachSymmetryCopy(obj, [&] { DrawSurfaceArrays(*arrays); });
    } else {
        ForEachSymmetryCopy(obj, [&] { EvalPatches(obj, divLevel); });
    }
}

}  // namespace zarni
