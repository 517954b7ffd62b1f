// Profiles for the shape-operation tests and benchmarks, the literal seam weld that the fast
// one must reproduce, and a record-by-record document comparison.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "model/document.h"
#include "ops/clipboard.h"
#include "ops/lathe.h"
#include "ops/merge.h"

namespace zarni::shapefix {

inline int32_t AddPoint(PatchObject& obj, float x, float y, float z, int32_t anchor = -1) {
    ControlPoint p;
    p.x = x;
    p.y = y;
    p.z = z;
    p.anchor = anchor;
    obj.points.push_back(p);
    return obj.pointCount() - 1;
}

inline int32_t AddSegment(PatchObject& obj, int32_t p0, int32_t p1, int32_t p2, int32_t p3) {
    Segment s;
    s.p0 = p0;
    s.p1 = p1;
    s.p2 = p2;
    s.p3 = p3;
    obj.segments.push_back(s);
    return obj.segmentCount() - 1;
}

// A curve from anchor a to anchor b with handles at a third and two thirds, each owned by the
// anchor at its end.
inline int32_t AddStraight(PatchObject& obj, int32_t a, int32_t b) {
    const ControlPoint pa = obj.points[a];
    const ControlPoint pb = obj.points[b];
    const float dx = (pb.x - pa.x) / 3, dy = (pb.y - pa.y) / 3, dz = (pb.z - pa.z) / 3;
    const int32_t h1 = AddPoint(obj, pa.x + dx, pa.y + dy, pa.z + dz, a);
    const int32_t h2 = AddPoint(obj, pb.x - dx, pb.y - dy, pb.z - dz, b);
    return AddSegment(obj, a, h1, h2, b);
}

// A chain of `count` connected curves through the anchors (x(t), y(t), 0), t = 0..count, with
// wavy handles, all anchors selected. `closed` joins the last anchor back to the first.
template <class F>
void AddChain(Document& doc, int32_t count, bool closed, F&& at) {
    PatchObject& obj = *doc.Current();
    std::vector<int32_t> anchors;
    const int32_t ends = closed ? count : count + 1;
    for (int32_t t = 0; t < ends; ++t) {
        float x, y;
        at(t, x, y);
        anchors.push_back(AddPoint(obj, x, y, 0));
    }
    for (int32_t i = 0; i < count; ++i) {
        const int32_t a = anchors[i];
        const int32_t b = anchors[(i + 1) % ends];
        const ControlPoint pa = obj.points[a];
        const ControlPoint pb = obj.points[b];
        const float wob = 0.1f * static_cast<float>((i % 3) - 1);
        const int32_t h1 =
            AddPoint(obj, pa.x + (pb.x - pa.x) / 3 + wob, pa.y + (pb.y - pa.y) / 3, wob, a);
        const int32_t h2 =
            AddPoint(obj, pb.x - (pb.x - pa.x) / 3, pb.y - (pb.y - pa.y) / 3 - wob, -wob, b);
        AddSegment(obj, a, h1, h2, b);
    }
    for (int32_t a : anchors)
        doc.selectedAnchors.push_back(a);
    doc.activePoint = anchors.back();
    RebuildControlCaches(doc);
}

// An open profile of `count` curves beside the Y axis, from y = -1 up to y = 1.
inline void AddOpenProfile(Document& doc, int32_t count) {
    AddChain(doc, count, false, [count](int32_t t, float& x, float& y) {
        const float u = static_cast<float>(t) / static_cast<float>(count);
        x = 1.0f + 0.3f * std::sin(6.0f * u);
        y = 2.0f * u - 1.0f;
    });
}

// A closed loop of `count` curves around (2, 0, 0): lathed about Y it makes a torus.
inline void AddClosedProfile(Document& doc, int32_t count) {
    AddChain(doc, count, true, [count](int32_t t, float& x, float& y) {
        const double a = 2.0 * 3.14159265358979 * t / count;
        x = static_cast<float>(2.0 + 0.5 * std::cos(a));
        y = static_cast<float>(0.5 * std::sin(a));
    });
}

// A profile from the pole (0, 1, 0) out and back to the pole (0, -1, 0): both ends on Y.
inline void AddAxisProfile(Document& doc, int32_t count) {
    AddChain(doc, count, false, [count](int32_t t, float& x, float& y) {
        const double a = 3.14159265358979 * t / count;
        x = static_cast<float>(std::sin(a));
        y = static_cast<float>(std::cos(a));
        if (t == 0 || t == count) x = 0.0f;
    });
}

// The weld as the program always did it: scan every new point against every older one and
// start again from the beginning after each merge.
inline void LiteralWeldLatheSeam(Document& doc, const EditSwitches& sw, int32_t start) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr) return;
restart:
    for (int32_t a = start; a < obj->pointCount(); ++a) {
        for (int32_t b = 0; b < start; ++b) {
            const ControlPoint& pa = obj->points[a];
            const ControlPoint& pb = obj->points[b];
            const float d = static_cast<float>(static_cast<double>(std::fabs(pa.x - pb.x)) +
                                               static_cast<double>(std::fabs(pa.y - pb.y)) +
                                               static_cast<double>(std::fabs(pa.z - pb.z)));
            if (d < 0.001 && MergePoints(doc, sw, a, b)) goto restart;
        }
    }
}

// The full lathe with the literal weld in place of the product's.
inline void LiteralLatheFull(Document& doc, const EditSwitches& sw, const LatheSettings& settings) {
    if (doc.Current() == nullptr) return;
    const int32_t start = doc.Current()->pointCount();
    for (int32_t i = 0; i < LatheDivisions(settings.divLevel); ++i) {
        const int32_t m = doc.Current()->pointCount();
        LatheStep(doc, settings);
        SelectNewAnchors(doc, m);
        RebuildControlCaches(doc);
    }
    LiteralWeldLatheSeam(doc, sw, start);
    if (!doc.selectedAnchors.empty()) doc.activePoint = doc.selectedAnchors.back();
}

inline bool SameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Empty when the current objects, selections and document flags agree record for record
// (positions bit for bit, scratch marks included); otherwise the first difference.
inline std::string FirstDifference(const Document& x, const Document& y) {
    const PatchObject& a = *x.Current();
    const PatchObject& b = *y.Current();
    if (a.pointCount() != b.pointCount()) return "point counts differ";
    if (a.segmentCount() != b.segmentCount()) return "segment counts differ";
    if (a.patchCount() != b.patchCount()) return "patch counts differ";
    for (int32_t i = 0; i < a.pointCount(); ++i) {
        const ControlPoint& p = a.points[i];
        const ControlPoint& q = b.points[i];
        if (!SameBits(p.x, q.x) || !SameBits(p.y, q.y) || !SameBits(p.z, q.z) ||
            p.anchor != q.anchor || p.layer != q.layer || p.mark != q.mark) {
            return "point " + std::to_string(i) + " differs";
        }
    }
    for (int32_t i = 0; i < a.segmentCount(); ++i) {
        const Segment& s = a.segments[i];
        const Segment& t = b.segments[i];
        if (s.p0 != t.p0 || s.p1 != t.p1 || s.p2 != t.p2 || s.p3 != t.p3 || s.mark != t.mark) {
            return "segment " + std::to_string(i) + " differs";
        }
    }
    for (int32_t i = 0; i < a.patchCount(); ++i) {
        const Patch& p = a.patches[i];
        const Patch& q = b.patches[i];
        if (p.edge0 != q.edge0 || p.edge1 != q.edge1 || p.edge2 != q.edge2 || p.edge3 != q.edge3 ||
            p.inner11 != q.inner11 || p.inner12 != q.inner12 || p.inner21 != q.inner21 ||
            p.inner22 != q.inner22 || p.mark != q.mark) {
            return "patch " + std::to_string(i) + " differs";
        }
    }
    if (a.segmentCache != b.segmentCache || a.patchCache != b.patchCache) return "caches differ";
    if (x.selectedAnchors != y.selectedAnchors) return "anchor selections differ";
    if (x.selectedHandles != y.selectedHandles) return "handle selections differ";
    if (x.activePoint != y.activePoint) return "active points differ";
    if (x.modified != y.modified) return "modified flags differ";
    if (!SameBits(x.pivot.x, y.pivot.x) || !SameBits(x.pivot.y, y.pivot.y) ||
        !SameBits(x.pivot.z, y.pivot.z)) {
        return "pivots differ";
    }
    return "";
}

}  // namespace zarni::shapefix
