// Point merging: the first point disappears and everything that used it uses the second.
#include "ops/merge.h"

#include <vector>

#include "ops/clipboard.h"
#include "ops/point_sets.h"

namespace zarni {

namespace {

// A list of the kind that was not kept still names points after the removed one; they move down
// with the points, the removed point itself reads as the kept one, and a name that now appears
// twice is listed once.
void RenumberOtherList(std::vector<int32_t>& list, int32_t a, int32_t kept, int32_t oldCount) {
    std::vector<uint8_t> seen(static_cast<size_t>(oldCount), 0);
    size_t w = 0;
    for (int32_t v : list) {
        if (v < 0 || v >= oldCount) continue;
        if (v == a)
            v = kept;
        else if (v > a)
            --v;
        if (seen[v]) continue;
        seen[v] = 1;
        list[w++] = v;
    }
    list.resize(w);
}

}  // namespace

int MergePoints(Document& doc, const EditSwitches& sw, int32_t a, int32_t b) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr) return 0;
    const int32_t n = obj->pointCount();
    if (a < 0 || a >= n || b < 0 || b >= n || a == b) return 0;
    const int32_t ownerA = obj->points[a].anchor;
    const int32_t ownerB = obj->points[b].anchor;
    if ((ownerA < 0) != (ownerB < 0)) return 0;     // an anchor and a handle
    if (ownerA >= 0 && ownerA != ownerB) return 0;  // handles of different anchors
    const bool keptIsAnchor = ownerB < 0;

    obj->points.erase(obj->points.begin() + a);
    auto renumber = [a, b](int32_t& v) {
        if (v == a) v = b;
        if (v > a) --v;
    };
    for (ControlPoint& p : obj->points) {
        if (p.anchor >= 0) renumber(p.anchor);
    }
    for (Segment& s : obj->segments) {
        renumber(s.p0);
        renumber(s.p1);
        renumber(s.p2);
        renumber(s.p3);
    }
    for (Patch& q : obj->patches) {
        renumber(q.inner11);
        renumber(q.inner12);
        renumber(q.inner21);
        renumber(q.inner22);
    }

    const int32_t kept = b > a ? b - 1 : b;
    if (keptIsAnchor) {
        doc.selectedAnchors.assign(1, kept);
        RenumberOtherList(doc.selectedHandles, a, kept, n);
    } else {
        doc.selectedHandles.assign(1, kept);
        RenumberOtherList(doc.selectedAnchors, a, kept, n);
    }
    doc.activePoint = kept;

    RemoveDuplicateSegments(doc);
    RebuildControlCaches(doc);
    DocumentChanged(doc, sw);
    return 1;
}

}  // namespace zarni
