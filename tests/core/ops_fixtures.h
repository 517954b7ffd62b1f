// Objects built in code for the modelling-operation tests and benchmarks: patch grids with
// shared edges, free curves and closed loops, plus record comparison and the invariant check.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/document.h"
#include "model/invariants.h"

namespace zarni::opsfix {

constexpr double kPi = 3.14159265358979323846;

// A position worked out by hand, in double precision.
struct Xyz {
    double x, y, z;
};

// A point within `tolerance` (sum of coordinate differences) of a hand-worked position.
inline ::testing::AssertionResult Near(const ControlPoint& p, Xyz want, double tolerance = 1e-6) {
    const double d = std::fabs(p.x - want.x) + std::fabs(p.y - want.y) + std::fabs(p.z - want.z);
    if (d <= tolerance) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << p.x << ", " << p.y << ", " << p.z << ") is not ("
                                         << want.x << ", " << want.y << ", " << want.z << ")";
}

inline ControlPoint Pt(float x, float y, float z, int32_t anchor = -1, uint8_t layer = 0) {
    ControlPoint p;
    p.x = x;
    p.y = y;
    p.z = z;
    p.anchor = anchor;
    p.layer = layer;
    return p;
}

inline Segment Seg(int32_t p0, int32_t p1, int32_t p2, int32_t p3) {
    Segment s;
    s.p0 = p0;
    s.p1 = p1;
    s.p2 = p2;
    s.p3 = p3;
    return s;
}

inline int32_t AddPoint(PatchObject& obj, float x, float y, float z, int32_t anchor = -1) {
    obj.points.push_back(Pt(x, y, z, anchor));
    return obj.pointCount() - 1;
}

// A segment between two existing anchors with handles at a third and two thirds, each owned by
// the anchor at its end. Returns the segment index.
inline int32_t AddEdge(PatchObject& obj, int32_t a, int32_t b) {
    const ControlPoint pa = obj.points[a];
    const ControlPoint pb = obj.points[b];
    const int32_t h1 = AddPoint(obj, pa.x + (pb.x - pa.x) / 3, pa.y + (pb.y - pa.y) / 3,
                                pa.z + (pb.z - pa.z) / 3, a);
    const int32_t h2 = AddPoint(obj, pb.x - (pb.x - pa.x) / 3, pb.y - (pb.y - pa.y) / 3,
                                pb.z - (pb.z - pa.z) / 3, b);
    obj.segments.push_back(Seg(a, h1, h2, b));
    return obj.segmentCount() - 1;
}

// A free curve from (x0, y0, z) to (x1, y1, z): 4 points, 1 segment. Returns its first point.
inline int32_t AddFreeCurve(PatchObject& obj, float x0, float y0, float x1, float y1,
                            float z = 0.0f) {
    const int32_t a = AddPoint(obj, x0, y0, z);
    const int32_t b = AddPoint(obj, x1, y1, z);
    AddEdge(obj, a, b);
    return a;
}

// A grid of cols x rows patches on the unit lattice at height z, its neighbours sharing corner
// anchors, edge segments and edge handles; each patch has its own 4 interior points, raised a
// little so the surface is not flat. Patch (r, c) is appended at index rowMajor(r, c).
inline void AddPatchGrid(PatchObject& obj, int32_t cols, int32_t rows, float z = 0.0f) {
    std::vector<int32_t> corner(static_cast<size_t>((cols + 1) * (rows + 1)));
    auto at = [&](int32_t r, int32_t c) -> int32_t& { return corner[r * (cols + 1) + c]; };
    for (int32_t r = 0; r <= rows; ++r) {
        for (int32_t c = 0; c <= cols; ++c) {
            at(r, c) = AddPoint(obj, static_cast<float>(c), static_cast<float>(r), z);
        }
    }
    std::vector<int32_t> horizontal(static_cast<size_t>(cols * (rows + 1)));
    std::vector<int32_t> vertical(static_cast<size_t>((cols + 1) * rows));
    for (int32_t r = 0; r <= rows; ++r) {
        for (int32_t c = 0; c < cols; ++c) {
            horizontal[r * cols + c] = AddEdge(obj, at(r, c), at(r, c + 1));
        }
    }
    for (int32_t c = 0; c <= cols; ++c) {
        for (int32_t r = 0; r < rows; ++r) {
            vertical[c * rows + r] = AddEdge(obj, at(r, c), at(r + 1, c));
        }
    }
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < cols; ++c) {
            Patch q;
            q.edge0 = horizontal[r * cols + c];
            q.edge1 = horizontal[(r + 1) * cols + c];
            q.edge2 = vertical[c * rows + r];
            q.edge3 = vertical[(c + 1) * rows + r];
            const float x = static_cast<float>(c);
            const float y = static_cast<float>(r);
            const float lift = z + 0.5f;
            q.inner11 = AddPoint(obj, x + 1.0f / 3, y + 1.0f / 3, lift, at(r, c));
            q.inner12 = AddPoint(obj, x + 2.0f / 3, y + 1.0f / 3, lift, at(r, c + 1));
            q.inner21 = AddPoint(obj, x + 1.0f / 3, y + 2.0f / 3, lift, at(r + 1, c));
            q.inner22 = AddPoint(obj, x + 2.0f / 3, y + 2.0f / 3, lift, at(r + 1, c + 1));
            obj.patches.push_back(q);
        }
    }
}

// A closed loop of four segments through four anchors on a square of half-size s: 12 points.
inline void AddClosedLoop(PatchObject& obj, float s = 1.0f) {
    const int32_t a0 = AddPoint(obj, s, 0, 0);
    const int32_t a1 = AddPoint(obj, 0, s, 0);
    const int32_t a2 = AddPoint(obj, -s, 0, 0);
    const int32_t a3 = AddPoint(obj, 0, -s, 0);
    AddEdge(obj, a0, a1);
    AddEdge(obj, a1, a2);
    AddEdge(obj, a2, a3);
    AddEdge(obj, a3, a0);
}

// A start-up document whose current object is filled by `build`, caches rebuilt.
template <typename Build>
Document DocWith(Build build) {
    Document doc = NewDocument();
    build(doc.objects[0]);
    RebuildControlCaches(doc);
    return doc;
}

// The anchors of the current object in index order.
inline std::vector<int32_t> AllAnchors(const Document& doc) {
    std::vector<int32_t> out;
    const PatchObject& obj = *doc.Current();
    for (int32_t i = 0; i < obj.pointCount(); ++i) {
        if (obj.points[i].anchor < 0) out.push_back(i);
    }
    return out;
}

// Equal geometry: positions, owners, layers, segment and patch indices (scratch marks aside).
inline bool SameGeometry(const PatchObject& a, const PatchObject& b) {
    if (a.points.size() != b.points.size() || a.segments.size() != b.segments.size() ||
        a.patches.size() != b.patches.size()) {
        return false;
    }
    for (size_t i = 0; i < a.points.size(); ++i) {
        const ControlPoint& p = a.points[i];
        const ControlPoint& q = b.points[i];
        if (p.x != q.x || p.y != q.y || p.z != q.z || p.anchor != q.anchor || p.layer != q.layer) {
            return false;
        }
    }
    for (size_t i = 0; i < a.segments.size(); ++i) {
        const Segment& s = a.segments[i];
        const Segment& t = b.segments[i];
        if (s.p0 != t.p0 || s.p1 != t.p1 || s.p2 != t.p2 || s.p3 != t.p3) return false;
    }
    for (size_t i = 0; i < a.patches.size(); ++i) {
        const Patch& p = a.patches[i];
        const Patch& q = b.patches[i];
        if (p.edge0 != q.edge0 || p.edge1 != q.edge1 || p.edge2 != q.edge2 || p.edge3 != q.edge3 ||
            p.inner11 != q.inner11 || p.inner12 != q.inner12 || p.inner21 != q.inner21 ||
            p.inner22 != q.inner22) {
            return false;
        }
    }
    return true;
}

// The caches hold the present positions, not only the right sizes.
inline bool CachesCurrent(const PatchObject& obj) {
    PatchObject fresh = obj;
    RebuildObjectCaches(fresh);
    return fresh.segmentCache == obj.segmentCache && fresh.patchCache == obj.patchCache;
}

inline ::testing::AssertionResult Sound(const Document& doc) {
    std::string why;
    if (!DocumentInvariantsHold(doc, &why)) return ::testing::AssertionFailure() << why;
    if (const PatchObject* obj = doc.Current(); obj && !CachesCurrent(*obj)) {
        return ::testing::AssertionFailure() << "caches do not match the geometry";
    }
    return ::testing::AssertionSuccess();
}

}  // namespace zarni::opsfix
