// Curves and patches of one object with every symmetry copy, through the evaluators or from
// arrays of evaluated vertices kept between frames.
#include "gl/surface.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <system_error>
#include <thread>

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
void ForEachSymmetryCopy(const PatchObject& obj, Draw draw, int32_t stride = 1) {
    int32_t index = 0;
    ForEachSymmetryCopyOf(obj, [&](const SymmetryCopy& copy) {
        if (index++ % stride != 0) return;
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

// The view's clip-space test of one symmetry copy: the projection times the present modelview.
struct ClipTest {
    bool on = false;
    double m[16] = {};
    // True when the box (min x y z, max x y z) lies wholly on the outer side of one clip plane:
    // everything inside it is clipped away, whatever the sign of w.
    bool Outside(const float* box) const {
        if (!on) return false;
        int outside = 0x3f;
        for (int c = 0; c < 8 && outside != 0; ++c) {
            const double x = box[(c & 1) ? 3 : 0], y = box[(c & 2) ? 4 : 1],
                         z = box[(c & 4) ? 5 : 2];
            double v[4];
            for (int r = 0; r < 4; ++r)
                v[r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
            int bits = 0;
            const double slack = 1e-6 * (std::fabs(v[3]) + 1.0);
            for (int axis = 0; axis < 3; ++axis) {
                if (v[axis] + v[3] < -slack) bits |= 1 << (2 * axis);
                if (v[3] - v[axis] < -slack) bits |= 2 << (2 * axis);
            }
            outside &= bits;
        }
        return outside != 0;
    }
};

ClipTest CurrentClip(bool on) {
    ClipTest t;
    if (!on) return t;
    GLdouble p[16], mv[16];
    glGetDoublev(GL_PROJECTION_MATRIX, p);
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += p[k * 4 + r] * mv[c * 4 + k];
            t.m[c * 4 + r] = sum;
        }
    t.on = true;
    return t;
}

size_t ArrayBytes(const ObjectArrays& a) {
    return (a.curveVertices.size() + a.surfaceVertices.size() + a.surfaceNormals.size()) *
               sizeof(float) +
           (a.curveIndices.size() + a.surfaceIndices.size()) * sizeof(uint16_t);
}

void SendRange(GLenum target, size_t offset, size_t bytes, const void* data) {
    if (bytes == 0) return;
    glBufferSubData(target, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(bytes), data);
    SurfaceCounters().bytesUploaded += bytes;
}

// Brings the buffer objects up to the client arrays: whole after a build, else only the records
// evaluated again since the last upload. False when the arrays are drawn from client memory.
bool SyncBuffers(const ObjectArrays& a, const DrawOptions& options) {
    if (!options.buffers || ArrayBytes(a) > kMaxBufferedBytes) return false;
    const size_t curveBytes = a.curveVertices.size() * sizeof(float);
    const size_t surfaceBytes = a.surfaceVertices.size() * sizeof(float);
    const size_t curveIndexBytes = a.curveIndices.size() * sizeof(uint16_t);
    const size_t surfaceIndexBytes = a.surfaceIndices.size() * sizeof(uint16_t);
    if (a.curveBuffer == 0) {
        GLuint ids[3] = {0, 0, 0};
        glGenBuffers(3, ids);
        if (ids[0] == 0 || ids[1] == 0 || ids[2] == 0) return false;
        a.curveBuffer = ids[0];
        a.surfaceBuffer = ids[1];
        a.indexBuffer = ids[2];
        a.uploadWhole = true;
    }
    if (a.uploadWhole) {
        glBindBuffer(GL_ARRAY_BUFFER, a.curveBuffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(curveBytes), a.curveVertices.data(),
                     GL_STATIC_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, a.surfaceBuffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(2 * surfaceBytes), nullptr,
                     GL_STATIC_DRAW);
        SendRange(GL_ARRAY_BUFFER, 0, surfaceBytes, a.surfaceVertices.data());
        SendRange(GL_ARRAY_BUFFER, surfaceBytes, surfaceBytes, a.surfaceNormals.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, a.indexBuffer);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                     static_cast<GLsizeiptr>(curveIndexBytes + surfaceIndexBytes), nullptr,
                     GL_STATIC_DRAW);
        SendRange(GL_ELEMENT_ARRAY_BUFFER, 0, curveIndexBytes, a.curveIndices.data());
        SendRange(GL_ELEMENT_ARRAY_BUFFER, curveIndexBytes, surfaceIndexBytes,
                  a.surfaceIndices.data());
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        SurfaceCounters().bytesUploaded += curveBytes;
        a.uploadWhole = false;
    } else {
        const size_t curveStride = (static_cast<size_t>(a.steps) + 1) * 3 * sizeof(float);
        const size_t grid = curveStride / sizeof(float) / 3;
        const size_t patchBytes = grid * grid * 3 * sizeof(float);
        if (a.dirtySegmentsEnd > a.dirtySegmentsBegin) {
            glBindBuffer(GL_ARRAY_BUFFER, a.curveBuffer);
            SendRange(GL_ARRAY_BUFFER, a.dirtySegmentsBegin * curveStride,
                      (a.dirtySegmentsEnd - a.dirtySegmentsBegin) * curveStride,
                      a.curveVertices.data() + a.dirtySegmentsBegin * curveStride / sizeof(float));
        }
        if (a.dirtyPatchesEnd > a.dirtyPatchesBegin) {
            glBindBuffer(GL_ARRAY_BUFFER, a.surfaceBuffer);
            const size_t first = a.dirtyPatchesBegin * patchBytes;
            const size_t bytes = (a.dirtyPatchesEnd - a.dirtyPatchesBegin) * patchBytes;
            SendRange(GL_ARRAY_BUFFER, first, bytes,
                      a.surfaceVertices.data() + first / sizeof(float));
            SendRange(GL_ARRAY_BUFFER, surfaceBytes + first, bytes,
                      a.surfaceNormals.data() + first / sizeof(float));
        }
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    a.dirtySegmentsBegin = a.dirtySegmentsEnd = 0;
    a.dirtyPatchesBegin = a.dirtyPatchesEnd = 0;
    return true;
}

const GLvoid* Offset(size_t bytes) {
    return reinterpret_cast<const GLvoid*>(bytes);
}

void DrawCurveArrays(const ObjectArrays& a, const DrawOptions& options, bool buffered) {
    if (a.segmentsDrawn == 0) return;
    const ClipTest clip = CurrentClip(options.cull);
    const size_t stride = static_cast<size_t>(a.steps) + 1;
    const int32_t every = std::max(1, options.stride);
    glEnableClientState(GL_VERTEX_ARRAY);
    if (buffered) {
        glBindBuffer(GL_ARRAY_BUFFER, a.curveBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, a.indexBuffer);
    }
    size_t call = 0;
    for (size_t first = 0; first < a.segmentsDrawn; first += kSegmentsPerDraw, ++call) {
        if (call % every != 0) continue;
        if (clip.Outside(a.curveBoxes.data() + 6 * call)) {
            ++SurfaceCounters().callsCulled;
            continue;
        }
        if (!TakePiece(options.slices)) continue;
        const size_t count = std::min(kSegmentsPerDraw, a.segmentsDrawn - first);
        const size_t vertexOffset = first * stride * 3;
        if (buffered) {
            glVertexPointer(3, GL_FLOAT, 0, Offset(vertexOffset * sizeof(float)));
        } else {
            glVertexPointer(3, GL_FLOAT, 0, a.curveVertices.data() + vertexOffset);
        }
        glDrawElements(GL_LINES, static_cast<GLsizei>(count * a.steps * 2), GL_UNSIGNED_SHORT,
                       buffered ? Offset(0) : a.curveIndices.data());
        SurfaceCounters().segmentsDrawn += count;
    }
    if (buffered) {
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
}

// Indices of the joined strip of `patches` patches: every row of every patch, rows joined by two
// repeated indices (degenerate triangles, which keep the next row's winding).
size_t StripIndexCount(size_t patches, int32_t steps) {
    const size_t rows = patches * static_cast<size_t>(steps);
    return rows == 0 ? 0 : rows * 2 * (static_cast<size_t>(steps) + 1) + 2 * (rows - 1);
}

void DrawSurfaceArrays(const ObjectArrays& a, const DrawOptions& options, bool buffered) {
    if (a.patchesDrawn == 0) return;
    const ClipTest clip = CurrentClip(options.cull);
    const size_t grid = (static_cast<size_t>(a.steps) + 1) * (a.steps + 1);
    const size_t normalsAt = a.surfaceVertices.size() * sizeof(float);
    const size_t indicesAt = a.curveIndices.size() * sizeof(uint16_t);
    const int32_t every = std::max(1, options.stride);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    if (buffered) {
        glBindBuffer(GL_ARRAY_BUFFER, a.surfaceBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, a.indexBuffer);
    }
    size_t call = 0;
    for (size_t first = 0; first < a.patchesDrawn; first += kPatchesPerDraw, ++call) {
        if (call % every != 0) continue;
        if (clip.Outside(a.surfaceBoxes.data() + 6 * call)) {
            ++SurfaceCounters().callsCulled;
            continue;
        }
        if (!TakePiece(options.slices)) continue;
        const size_t count = std::min(kPatchesPerDraw, a.patchesDrawn - first);
        const size_t offset = first * grid * 3;
        if (buffered) {
            glVertexPointer(3, GL_FLOAT, 0, Offset(offset * sizeof(float)));
            glNormalPointer(GL_FLOAT, 0, Offset(normalsAt + offset * sizeof(float)));
        } else {
            glVertexPointer(3, GL_FLOAT, 0, a.surfaceVertices.data() + offset);
            glNormalPointer(GL_FLOAT, 0, a.surfaceNormals.data() + offset);
        }
        glDrawElements(GL_TRIANGLE_STRIP, static_cast<GLsizei>(StripIndexCount(count, a.steps)),
                       GL_UNSIGNED_SHORT, buffered ? Offset(indicesAt) : a.surfaceIndices.data());
        SurfaceCounters().patchesDrawn += count;
    }
    if (buffered) {
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

// The bounds of `count` control nets of `floats` floats each, widened a hair so that rounding
// in the evaluation never puts a vertex outside.
void NetBounds(const float* nets, size_t count, size_t floats, float* box) {
    float lo[3], hi[3];
    for (int k = 0; k < 3; ++k) {
        lo[k] = std::numeric_limits<float>::max();
        hi[k] = std::numeric_limits<float>::lowest();
    }
    for (size_t i = 0; i < count * floats; i += 3)
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], nets[i + k]);
            hi[k] = std::max(hi[k], nets[i + k]);
        }
    for (int k = 0; k < 3; ++k) {
        const float pad = 1e-4f * (1.0f + std::max(std::fabs(lo[k]), std::fabs(hi[k])));
        box[k] = lo[k] - pad;
        box[3 + k] = hi[k] + pad;
    }
}

void SegmentCallBounds(const PatchObject& obj, size_t call, ObjectArrays& out) {
    const size_t first = call * kSegmentsPerDraw;
    const size_t count = std::min(kSegmentsPerDraw, out.segmentsDrawn - first);
    NetBounds(obj.segmentCache.data() + 12 * first, count, 12, out.curveBoxes.data() + 6 * call);
}

void PatchCallBounds(const PatchObject& obj, size_t call, ObjectArrays& out) {
    const size_t first = call * kPatchesPerDraw;
    const size_t count = std::min(kPatchesPerDraw, out.patchesDrawn - first);
    NetBounds(obj.patchCache.data() + 48 * first, count, 48, out.surfaceBoxes.data() + 6 * call);
}

void Widen(size_t& begin, size_t& end, size_t index) {
    if (begin == end) {
        begin = index;
        end = index + 1;
    } else {
        begin = std::min(begin, index);
        end = std::max(end, index + 1);
    }
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

// Runs `body(i)` for every i below `count`, the first half on a second thread when there are at
// least `enough`. The calls write disjoint places, so the split changes nothing they write.
template <typename Body>
void SplitAcrossTwo(size_t count, size_t enough, const Body& body) {
    size_t begin = 0;
    std::thread other;
    if (count >= enough) {
        try {
            other = std::thread([&body, half = count / 2] {
                for (size_t i = 0; i < half; ++i)
                    body(i);
            });
            begin = count / 2;
        } catch (const std::system_error&) {
            // No thread to be had: all of it here.
        }
    }
    for (size_t i = begin; i < count; ++i)
        body(i);
    if (other.joinable()) other.join();
}

// Enough evaluation to be worth a second thread.
constexpr size_t kSplitSegments = 8192;
constexpr size_t kSplitPatches = 512;

bool UpdateObjectArrays(const PatchObject& obj, int32_t divLevel, ObjectArrays& arrays) {
    const bool sameLine =
        obj.cacheGeneration != 0 && obj.cacheBase != 0 && arrays.base == obj.cacheBase &&
        arrays.generation >= obj.cacheBase && arrays.divLevel == divLevel &&
        arrays.segmentCount == obj.segments.size() && arrays.patchCount == obj.patches.size() &&
        arrays.segmentsDrawn == UsableSegments(obj) && arrays.patchesDrawn == UsablePatches(obj);
    if (!sameLine) return false;
    const std::vector<float> params = GridParameters(arrays.steps);
    const uint64_t built = arrays.generation;
    // The records that changed are evaluated first (an undo may change them all), then their
    // ranges and the bounds of their draw calls are taken.
    SplitAcrossTwo(arrays.segmentsDrawn, kSplitSegments, [&](size_t s) {
        if (obj.segmentChangedAt[s] > built) EvaluateSegment(obj, s, params, arrays);
    });
    SplitAcrossTwo(arrays.patchesDrawn, kSplitPatches, [&](size_t p) {
        if (obj.patchChangedAt[p] > built) EvaluatePatch(obj, p, params, arrays);
    });
    size_t lastCall = SIZE_MAX;
    for (size_t s = 0; s < arrays.segmentsDrawn; ++s) {
        if (obj.segmentChangedAt[s] <= built) continue;
        Widen(arrays.dirtySegmentsBegin, arrays.dirtySegmentsEnd, s);
        if (s / kSegmentsPerDraw != lastCall) {
            lastCall = s / kSegmentsPerDraw;
            SegmentCallBounds(obj, lastCall, arrays);
        }
    }
    lastCall = SIZE_MAX;
    for (size_t p = 0; p < arrays.patchesDrawn; ++p) {
        if (obj.patchChangedAt[p] <= built) continue;
        Widen(arrays.dirtyPatchesBegin, arrays.dirtyPatchesEnd, p);
        if (p / kPatchesPerDraw != lastCall) {
            lastCall = p / kPatchesPerDraw;
            PatchCallBounds(obj, lastCall, arrays);
        }
    }
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
    SplitAcrossTwo(segments, kSplitSegments,
                   [&](size_t s) { EvaluateSegment(obj, s, params, out); });
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

    out.curveBoxes.resize((segments + kSegmentsPerDraw - 1) / kSegmentsPerDraw * 6);
    for (size_t call = 0; call * kSegmentsPerDraw < segments; ++call)
        SegmentCallBounds(obj, call, out);

    const size_t grid = curveStride * curveStride;
    out.surfaceVertices.resize(patches * grid * 3);
    out.surfaceNormals.resize(patches * grid * 3);
    SplitAcrossTwo(patches, kSplitPatches, [&](size_t p) { EvaluatePatch(obj, p, params, out); });
    out.surfaceBoxes.resize((patches + kPatchesPerDraw - 1) / kPatchesPerDraw * 6);
    for (size_t call = 0; call * kPatchesPerDraw < patches; ++call)
        PatchCallBounds(obj, call, out);
    out.uploadWhole = true;
    out.dirtySegmentsBegin = out.dirtySegmentsEnd = 0;
    out.dirtyPatchesBegin = out.dirtyPatchesEnd = 0;
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
    if (objects_.size() <= objectCount) return;
    for (size_t i = objectCount; i < objects_.size(); ++i)
        ReleaseBuffers(objects_[i]);
    objects_.resize(objectCount);
}

void ReleaseBuffers(ObjectArrays& arrays) {
    if (arrays.curveBuffer == 0) return;
    const GLuint ids[3] = {arrays.curveBuffer, arrays.surfaceBuffer, arrays.indexBuffer};
    glDeleteBuffers(3, ids);
    arrays.curveBuffer = arrays.surfaceBuffer = arrays.indexBuffer = 0;
    arrays.uploadWhole = true;
}

DrawCounters& SurfaceCounters() {
    static DrawCounters counters;
    return counters;
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

void DrawObjectCurves(const PatchObject& obj, int32_t divLevel, const ObjectArrays* arrays,
                      const DrawOptions& options) {
    if (arrays) {
        const bool buffered = SyncBuffers(*arrays, options);
        ForEachSymmetryCopy(
            obj, [&] { DrawCurveArrays(*arrays, options, buffered); }, std::max(1, options.stride));
    } else {
        ForEachSymmetryCopy(obj, [&] {
            if (TakePiece(options.slices)) EvalSegments(obj, divLevel);
        });
    }
}

void DrawObjectSurfaces(const PatchObject& obj, int32_t divLevel, const ObjectArrays* arrays,
                        const DrawOptions& options) {
    if (arrays) {
        const bool buffered = SyncBuffers(*arrays, options);
        ForEachSymmetryCopy(
            obj, [&] { DrawSurfaceArrays(*arrays, options, buffered); },
            std::max(1, options.stride));
    } else {
        ForEachSymmetryCopy(obj, [&] {
            if (TakePiece(options.slices)) EvalPatches(obj, divLevel);
        });
    }
}

}  // namespace zarni
