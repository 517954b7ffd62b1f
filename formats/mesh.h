// The triangle mesh of an object's patches that every mesh export (OBJ, STL, glTF) writes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "model/document.h"
#include "model/tessellation.h"
#include "platform/file_io.h"

namespace zarni {

// One object's patches at `steps` x `steps` quads a patch, before any symmetry copy.
struct ObjectMesh {
    std::vector<float> vertices;  // 3 floats a vertex
    // 3 floats, one per grid point of every patch: the unit normal of the surface (from its
    // derivatives) on the side the triangles face.
    std::vector<float> normals;
    // v0 n0 v1 n1 v2 n2 a triangle, counter-clockwise seen from the side of its normals.
    std::vector<int32_t> triangles;
    std::vector<int32_t> lines;  // polylines: a count, then that many vertex indices
    // Every patch edge meets exactly one other edge, run the other way: the triangles form a
    // closed, consistently oriented surface.
    bool closed = false;
    // A closed mesh that enclosed a negative volume as evaluated (a profile lathed the other way
    // round) and was turned over as a whole, triangles and normals.
    bool turned = false;

    size_t vertexCount() const { return vertices.size() / 3; }
    size_t triangleCount() const { return triangles.size() / 6; }
};

// The mesh of `obj`:
// - each patch is evaluated on the grid of GridParameters(steps) and split into two triangles a
//   quad, counter-clockwise seen from the side of -(dP/du x dP/dv), where the program's sphere,
//   lathes and torus face outward;
// - the vertices along an edge (the same four control points, either way round) and at a corner
//   point are made once for all the patches and curves that meet there, so they are bit-identical;
//   an edge whose four control points lie in one place is one vertex (a pole);
// - a triangle collapsed to a point or a line is left out;
// - every segment that is an edge of no patch becomes a polyline;
// - a closed mesh whose volume comes out negative is turned over.
ObjectMesh BuildObjectMesh(const PatchObject& obj, int32_t steps);

// Runs `work(first, last)` over 0..count - 1 in two halves at once, the second half on a thread
// of its own (or everything on this one where no thread can be started). An exception from
// either half is thrown here once both have ended.
void OnTwoThreads(size_t count, const std::function<void(size_t, size_t)>& work);

// Where an export's bytes are made: a block of memory at a time, each full block handed on to
// be written while the next one fills.
class BlockOut {
  public:
    static constexpr size_t kBlockBytes = size_t{1} << 20;

    // A pointer with at least `n` (at most kBlockBytes) writable bytes; pass the end to Commit.
    char* Room(size_t n) {
        if (static_cast<size_t>(end_ - at_) < n) Swap();
        return at_;
    }
    void Commit(char* end) { at_ = end; }
    // The bytes left in the block: after Room(n), at least n.
    size_t Left() const { return static_cast<size_t>(end_ - at_); }
    // Any number of bytes, across blocks.
    void Put(const void* data, size_t n);
    // `count` records of `size` bytes (at most kBlockBytes), record i written by put(i, at) in
    // place, as many at a time as the block holds.
    template <typename PutRecord>
    void Records(size_t count, size_t size, PutRecord put) {
        for (size_t i = 0; i < count;) {
            char* p = Room(size);
            const size_t last = std::min(count, i + Left() / size);
            for (; i < last; ++i, p += size)
                put(i, p);
            Commit(p);
        }
    }

  protected:
    BlockOut() = default;
    ~BlockOut() = default;
    // Hands on the bytes from start_ to at_ and makes start_ .. end_ an empty block.
    virtual void Swap() = 0;

    char* start_ = nullptr;
    char* at_ = nullptr;
    char* end_ = nullptr;
};

// Runs `make` on a thread of its own and hands every block it fills to `deliver`, on this
// thread and in order, so that making a file's bytes and writing them overlap (where no thread
// can be started, `make` runs here and delivers as it goes). Once `deliver` returns false,
// `make` is stopped at its next block and nothing more is delivered: the result is false. An
// exception from `make` is thrown here.
bool StreamBytes(const std::function<void(BlockOut&)>& make,
                 const std::function<bool(const char*, size_t)>& deliver);

// Room for `n` elements, backed by huge pages where the block is large: the exports fill tens of
// megabytes once, and touching them a huge page at a time costs a fraction of 4 KiB pages.
template <typename T>
void ReserveFilledOnce(std::vector<T>& v, size_t n) {
    v.reserve(n);
    AdviseHugePages(v.data(), v.capacity() * sizeof(T));
}

// A copy's placement of a point (with the offset) and of a direction (without it).
inline void TransformPoint(const CopyTransform& t, const float* in, float* out) {
    for (int r = 0; r < 3; ++r)
        out[r] = t.linear[r * 3] * in[0] + t.linear[r * 3 + 1] * in[1] +
                 t.linear[r * 3 + 2] * in[2] + t.offset[r];
}
inline void TransformDirection(const CopyTransform& t, const float* in, float* out) {
    for (int r = 0; r < 3; ++r)
        out[r] =
            t.linear[r * 3] * in[0] + t.linear[r * 3 + 1] * in[1] + t.linear[r * 3 + 2] * in[2];
}

// Three floats (a point or a direction) in the first three lanes of a vector register.
typedef float FloatLanes __attribute__((vector_size(16)));

// A copy's placement held by the columns of its linear part, which places a point or a
// direction in a few vector operations. Each lane sums its products in the order
// TransformPoint and TransformDirection do, so the results are theirs bit for bit.
class CopyPlacer {
  public:
    explicit CopyPlacer(const CopyTransform& t)
        : c0_{t.linear[0], t.linear[3], t.linear[6], 0.0f},
          c1_{t.linear[1], t.linear[4], t.linear[7], 0.0f},
          c2_{t.linear[2], t.linear[5], t.linear[8], 0.0f},
          offset_{t.offset[0], t.offset[1], t.offset[2], 0.0f} {}

    FloatLanes Point(const float* in) const {
        return c0_ * in[0] + c1_ * in[1] + c2_ * in[2] + offset_;
    }
    FloatLanes Direction(const float* in) const { return c0_ * in[0] + c1_ * in[1] + c2_ * in[2]; }
    // The same, as three floats at `out`.
    void Point(const float* in, void* out) const {
        const FloatLanes p = Point(in);
        std::memcpy(out, &p, 12);
    }
    void Direction(const float* in, void* out) const {
        const FloatLanes d = Direction(in);
        std::memcpy(out, &d, 12);
    }

  private:
    FloatLanes c0_, c1_, c2_, offset_;
};

// An object's name for a mesh file: UTF-8, control characters as '_', and "OBJ_" with the
// object's number (from 1) for a name that is empty or only spaces.
std::string MeshObjectName(const PatchObject& obj, size_t index);

// Why the document cannot be exported as a mesh at `divLevel`, or "" when it can: a level
// outside 1..20, or an object whose records point outside it (a damaged document).
std::string MeshExportProblem(const Document& doc, int32_t divLevel);

}  // namespace zarni
