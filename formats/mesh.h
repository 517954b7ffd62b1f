// The triangle mesh of an object's patches that every mesh export (OBJ, STL, glTF) writes.
#pragma once

#include <cstddef>
#include <cstdint>
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

// An object's name for a mesh file: UTF-8, control characters as '_', and "OBJ_" with the
// object's number (from 1) for a name that is empty or only spaces.
std::string MeshObjectName(const PatchObject& obj, size_t index);

// Why the document cannot be exported as a mesh at `divLevel`, or "" when it can: a level
// outside 1..20, or an object whose records point outside it (a damaged document).
std::string MeshExportProblem(const Document& doc, int32_t divLevel);

}  // namespace zarni
