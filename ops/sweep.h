// The step extrude and lathe share: every selected curve gets a swept copy, a side curve from
// each of its ends to that end's copy (one side curve for curves that meet there) and a patch
// spanning the four.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "model/document.h"
#include "ops/point_sets.h"

namespace zarni {

// Sweeps the curves of `obj` whose both ends are among `selectedAnchors`. The motion is the
// caller's:
//   copy(p)                 the swept copy of point p (every field of p kept);
//   sideHandle(end, sign)   a new point at `end`'s position carried one handle length along
//                           the sweep (+1) or back from the copy (-1);
//   interior(handle, handleCopy, row)
//                           the patch's interior point next to a curve handle, on the row a
//                           third (1) or two thirds (2) of the way along the sweep.
// Points are appended in a fixed order (copies, side handles, interiors), so the numbering of
// a result never depends on the motion.
template <class Copy, class SideHandle, class Interior>
void SweepSelectedCurves(PatchObject& obj, const std::vector<int32_t>& selectedAnchors, Copy copy,
                         SideHandle sideHandle, Interior interior) {
    std::vector<ControlPoint>& pts = obj.points;
    for (ControlPoint& p : pts)
        p.mark = -1;
    const std::vector<uint8_t> selected = IndexBitmap(selectedAnchors, obj.pointCount());
    auto isSelected = [&selected](int32_t i) {
        return i >= 0 && i < static_cast<int32_t>(selected.size()) && selected[i];
    };
    auto endsKey = [](int32_t p0, int32_t p3) {
        return (static_cast<uint64_t>(static_cast<uint32_t>(p0)) << 32) | static_cast<uint32_t>(p3);
    };
    // A side curve runs from a selected point to a copy made in this sweep, so only curves
    // appended here can be found again as side curves.
    std::unordered_map<uint64_t, int32_t> sides;

    auto copyOf = [&](int32_t i) {
        if (pts[i].mark != -1) return pts[i].mark;
        const ControlPoint c = copy(pts[i]);
        pts.push_back(c);
        pts[i].mark = static_cast<int32_t>(pts.size()) - 1;
        return pts[i].mark;
    };
    auto appendSegment = [&](int32_t p0, int32_t p1, int32_t p2, int32_t p3) {
        Segment s;
        s.p0 = p0;
        s.p1 = p1;
        s.p2 = p2;
        s.p3 = p3;
        obj.segments.push_back(s);
        const int32_t index = obj.segmentCount() - 1;
        sides.emplace(endsKey(p0, p3), index);  // keeps the first curve between two ends
        return index;
    };
    auto side = [&](int32_t from, int32_t to) {
        const auto found = sides.find(endsKey(from, to));
        if (found != sides.end()) return found->second;
        ControlPoint h1 = sideHandle(pts[from], 1.0f);
        h1.anchor = from;
        ControlPoint h2 = sideHandle(pts[to], -1.0f);
        h2.anchor = to;
        pts.push_back(h1);
        pts.push_back(h2);
        const int32_t n = static_cast<int32_t>(pts.size());
        return appendSegment(from, n - 2, n - 1, to);
    };
    auto interiorPoint = [&](int32_t handle, int32_t handleCopy, int row, int32_t owner) {
        ControlPoint p = interior(pts[handle], pts[handleCopy], row);
        p.anchor = owner;
        pts.push_back(p);
        return static_cast<int32_t>(pts.size()) - 1;
    };

    // Curves appended below end at new copies, which are never selected.
    const int32_t segmentCount = obj.segmentCount();
    for (int32_t si = 0; si < segmentCount; ++si) {
        const Segment s = obj.segments[si];
        if (!isSelected(s.p0) || !isSelected(s.p3)) continue;
        const int32_t c0 = copyOf(s.p0);
        const int32_t c3 = copyOf(s.p3);
        const int32_t c1 = copyOf(s.p1);
        const int32_t c2 = copyOf(s.p2);
        // A handle index that is one of the curve's own ends must not turn that end's copy
        // into a handle.
        if (c1 != c0 && c1 != c3) pts[c1].anchor = c0;
        if (c2 != c0 && c2 != c3) pts[c2].anchor = c3;
        const int32_t swept = appendSegment(c0, c1, c2, c3);
        const int32_t e0 = side(s.p0, c0);
        const int32_t e3 = side(s.p3, c3);
        Patch q;
        q.edge0 = si;
        q.edge1 = swept;
        q.edge2 = e0;
        q.edge3 = e3;
        q.inner11 = interiorPoint(s.p1, c1, 1, s.p0);
        q.inner12 = interiorPoint(s.p2, c2, 1, s.p3);
        q.inner21 = interiorPoint(s.p1, c1, 2, c0);
        q.inner22 = interiorPoint(s.p2, c2, 2, c3);
        obj.patches.push_back(q);
    }
}

}  // namespace zarni
