// Curve segments and bicubic patches of one object, with every symmetry copy: through the GL
// evaluators, or from vertex and normal arrays that keep the evaluated geometry between frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gl/frame_slices.h"
#include "model/document.h"
#include "model/tessellation.h"
#include "view/detail_governor.h"

namespace zarni {

// Segments and patches per draw call of the arrays. Many small calls are much cheaper than one
// huge one for a software GL, whose per-call buffers would otherwise be allocated and released
// in megabytes each time; they also keep the indices within 16 bits.
constexpr size_t kSegmentsPerDraw = 256;
constexpr size_t kPatchesPerDraw = 16;

// The evaluated geometry of one object at one subdivision level: every segment as DivLevel + 1
// vertices (drawn as lines), every patch as a (DivLevel + 1)^2 grid of vertices and normals
// (drawn as triangles in the order the evaluator mesh makes them). The index lists cover one
// draw call's worth of segments or patches, relative to the first vertex of the call: every
// call uses the same list (a prefix of it for the last call).
struct ObjectArrays {
    uint64_t generation = 0;  // PatchObject::cacheGeneration the arrays were built from
    uint64_t base = 0;        // PatchObject::cacheBase then: the changes are tracked from it
    int32_t divLevel = 0;
    int32_t steps = 0;        // the subdivision actually used, 1..20
    size_t segmentCount = 0;  // the object's counts when built
    size_t patchCount = 0;
    size_t segmentsDrawn = 0;  // as far as the control caches go
    size_t patchesDrawn = 0;
    std::vector<float> curveVertices;      // 3 floats a vertex
    std::vector<uint16_t> curveIndices;    // pairs, GL_LINES
    std::vector<float> surfaceVertices;    // 3 floats a vertex
    std::vector<float> surfaceNormals;     // 3 floats a vertex
    std::vector<uint16_t> surfaceIndices;  // one GL_TRIANGLE_STRIP per call of patches
    // Bounds of the control points of each draw call's segments and patches (min x y z, max
    // x y z): a call whose box lies wholly outside the view draws nothing and is left out. A
    // curve or patch lies within the hull of its control points, so the picture stays the same.
    std::vector<float> curveBoxes;
    std::vector<float> surfaceBoxes;
    // The copies of the arrays in GL buffer objects (0 while none is made); the records
    // evaluated again since the last upload are sent again, nothing else.
    // They change as the arrays are drawn, which draws const arrays.
    mutable uint32_t curveBuffer = 0;
    mutable uint32_t surfaceBuffer = 0;
    mutable uint32_t indexBuffer = 0;
    mutable bool uploadWhole = true;
    mutable size_t dirtySegmentsBegin = 0, dirtySegmentsEnd = 0;
    mutable size_t dirtyPatchesBegin = 0, dirtyPatchesEnd = 0;
};

// How the arrays are drawn: every `stride`-th call of segments or patches and symmetry copy
// (the reduced pictures while the user drags; the first call and copy always), with calls
// outside the view left out, from GL buffer objects when `buffers` (only where every context
// that draws the arrays shares one object space).
struct DrawOptions {
    int32_t stride = 1;
    bool cull = true;
    bool buffers = false;
    // A frame drawn in slices: each draw call (each copy's evaluation without arrays) is a piece.
    FrameSlices* slices = nullptr;
};

// What the drawing of arrays did since the counters were last reset (tests and benchmarks).
struct DrawCounters {
    uint64_t patchesDrawn = 0;   // patch copies sent to the GL
    uint64_t segmentsDrawn = 0;  // segment copies sent
    uint64_t callsCulled = 0;    // draw calls left out as outside the view
    uint64_t pointsVisited = 0;  // control points looked at by the passes that draw them
    uint64_t armsVisited = 0;    // patches and segments whose arms were looked at
    uint64_t bytesUploaded = 0;  // sent into buffer objects
};
DrawCounters& SurfaceCounters();

// Arrays above this size stay in client memory: a second copy in buffer objects would cost more
// memory than the upload saves time.
constexpr size_t kMaxBufferedBytes = size_t{96} << 20;

// Builds the arrays of `obj` at `divLevel` (no GL calls; usable without a context).
void BuildObjectArrays(const PatchObject& obj, int32_t divLevel, ObjectArrays& out);

// Brings arrays built from an earlier state of the same object up to date by evaluating again
// only the segments and patches whose control points changed since (as the object notes). False,
// and nothing done, when the arrays cannot be brought up to date that way (another object, another
// level, other counts, or built before the tracked changes began).
bool UpdateObjectArrays(const PatchObject& obj, int32_t divLevel, ObjectArrays& arrays);

// The arrays of every object of a document, by object index, rebuilt only when an object's
// control caches were rebuilt (its `cacheGeneration` changed), its counts changed or the
// subdivision level changed. The arrays are client memory: one cache can serve every view.
class GeometryCache {
  public:
    // The up-to-date arrays of object `index`.
    const ObjectArrays& Get(size_t index, const PatchObject& obj, int32_t divLevel);
    // Drops objects beyond `objectCount` (after deletions) and everything on Clear.
    // Trim deletes the buffer objects of the dropped arrays, so a context of their object
    // space must be current when any were made; Clear only forgets them (their contexts are
    // gone).
    void Trim(size_t objectCount);
    void Clear();
    // How many times arrays were built whole, and brought up to date record by record, since
    // construction (tests watch them).
    uint64_t buildCount() const { return builds_; }
    uint64_t updateCount() const { return updates_; }

  private:
    std::vector<ObjectArrays> objects_;
    uint64_t builds_ = 0;
    uint64_t updates_ = 0;
};

// Sets up the one-dimensional map grid and evaluates every segment of one copy as a line
// strip of `divLevel` pieces.
void EvalSegments(const PatchObject& obj, int32_t divLevel);
// Sets up the two-dimensional grid and evaluates every patch of one copy filled.
void EvalPatches(const PatchObject& obj, int32_t divLevel);

// Every segment of every symmetry copy in the current colour. `arrays` null: the evaluators.
void DrawObjectCurves(const PatchObject& obj, int32_t divLevel, const ObjectArrays* arrays,
                      const DrawOptions& options = {});
// Every patch of every symmetry copy with the current material (the caller lights it).
void DrawObjectSurfaces(const PatchObject& obj, int32_t divLevel, const ObjectArrays* arrays,
                        const DrawOptions& options = {});
// Deletes the buffer objects of `arrays` (a context of their object space current).
void ReleaseBuffers(ObjectArrays& arrays);

}  // namespace zarni
