// Extrude: each selected curve, its swept copy, two shared side curves and a patch.
#include "ops/extrude.h"

#include <unordered_map>
#include <vector>

#include "ops/clipboard.h"
#include "ops/point_sets.h"

namespace zarni {

namespace {

uint64_t EndsKey(int32_t p0, int32_t p3) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(p0)) << 32) | static_cast<uint32_t>(p3);
}

}  // namespace

void ExtrudeSelection(Document& doc, const EditSwitches& sw, const ExtrudeSettings& settings) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr || doc.selectedAnchors.empty()) return;
    const int32_t base = obj->pointCount();
    std::vector<ControlPoint>& pts = obj->points;
    for (ControlPoint& p : pts)
        p.mark = -1;

    // The patch rows sit a third of the length apart; an axis the dialog cannot name sweeps by
    // nothing, stacking every copy on its source.
    float d[3] = {0.0f, 0.0f, 0.0f};
    if (settings.axis >= 1 && settings.axis <= 3) {
        const float step = settings.length / 3.0f;
        d[settings.axis - 1] = settings.minus ? -step : step;
    }
    auto moved = [&d](ControlPoint p, float times) {
        p.x = p.x + times * d[0];
        p.y = p.y + times * d[1];
        p.z = p.z + times * d[2];
        return p;
    };
    const std::vector<uint8_t> selected = IndexBitmap(doc.selectedAnchors, base);
    auto isSelected = [&selected](int32_t i) {
        return i >= 0 && i < static_cast<int32_t>(selected.size()) && selected[i];
    };
    // Side curves run from a selected point to a copy made here, so only curves appended here
    // can be found again as side curves.
    std::unordered_map<uint64_t, int32_t> sides;

    auto copyOf = [&](int32_t i) {
        if (pts[i].mark != -1) return pts[i].mark;
        pts.push_back(moved(pts[i], 3.0f));
        pts[i].mark = static_cast<int32_t>(pts.size()) - 1;
        return pts[i].mark;
    };
    auto appendSegment = [&](int32_t p0, int32_t p1, int32_t p2, int32_t p3) {
        Segment s;
        s.p0 = p0;
        s.p1 = p1;
        s.p2 = p2;
        s.p3 = p3;
        obj->segments.push_back(s);
        const int32_t index = obj->segmentCount() - 1;
        sides.emplace(EndsKey(p0, p3), index);  // keeps the first curve between two ends
        return index;
    };
    auto newPoint = [&](const ControlPoint& at, float times, int32_t owner) {
        ControlPoint p;
        p.x = at.x;
        p.y = at.y;
        p.z = at.z;
        p = moved(p, times);
        p.anchor = owner;
        pts.push_back(p);
        return static_cast<int32_t>(pts.size()) - 1;
    };
    auto side = [&](int32_t from, int32_t to) {
        const auto found = sides.find(EndsKey(from, to));
        if (found != sides.end()) return found->second;
        const int32_t h1 = newPoint(pts[from], 1.0f, from);
        const int32_t h2 = newPoint(pts[to], -1.0f, to);
        return appendSegment(from, h1, h2, to);
    };

    // Curves appended below end at new copies, which are never selected.
    const int32_t segmentCount = obj->segmentCount();
    for (int32_t si = 0; si < segmentCount; ++si) {
        const Segment s = obj->segments[si];
        if (!isSelected(s.p0) || !isSelected(s.p3)) continue;
        const int32_t c0 = copyOf(s.p0);
        const int32_t c3 = copyOf(s.p3);
        const int32_t c1 = copyOf(s.p1);
        const int32_t c2 = copyOf(s.p2);
        // A handle index that is one of the curve's own ends must not turn that end's copy
        // into a handle.
        if (c1 != c0 && c1 != c3) pts[c1].anchor = c0;
        if (c2 != c0 && c2 != c3) pts[c2].anchor = c3;
        const int32_t copy = appendSegment(c0, c1, c2, c3);
        const int32_t e0 = side(s.p0, c0);
        const int32_t e3 = side(s.p3, c3);
        Patch q;
        q.edge0 = si;
        q.edge1 = copy;
        q.edge2 = e0;
        q.edge3 = e3;
        q.inner11 = newPoint(pts[s.p1], 1.0f, s.p0);
        q.inner12 = newPoint(pts[s.p2], 1.0f, s.p3);
        q.inner21 = newPoint(pts[s.p1], 2.0f, c0);
        q.inner22 = newPoint(pts[s.p2], 2.0f, c3);
        obj->patches.push_back(q);
    }

    SelectNewAnchors(doc, base);
    RebuildControlCaches(doc);
    DocumentChanged(doc, sw);
}

}  // namespace zarni
