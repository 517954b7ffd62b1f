// Curve segments and bicubic patches of one object, with every symmetry copy: through the GL
// evaluators, or from vertex and normal arrays that keep the evaluated geometry between frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/document.h"
#include "model/tessellation.h"

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
};

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
void DrawObjectCurves(const PatchObject& obj, int32_t divLevel, const ObjectArrays* arrays);
// Every patch of every symmetry copy with the current material (the caller lights it).
void DrawObjectSurfaces(const PatchObject& obj, int32_t divLevel, const ObjectArrays* arrays);

}  // namespace zarni
