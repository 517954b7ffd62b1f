// Duplicate in place: Copy followed by Paste within one object, without the clipboard.
#include "ops/duplicate.h"

#include <vector>

#include "ops/clipboard.h"
#include "ops/point_sets.h"

namespace zarni {

void DuplicateSelection(Document& doc, const EditSwitches& sw) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr) return;
    std::vector<ControlPoint>& pts = obj->points;
    std::vector<Segment>& segs = obj->segments;
    const int32_t base = obj->pointCount();
    const int32_t segmentCount = obj->segmentCount();
    const int32_t patchCount = obj->patchCount();
    for (Segment& s : segs)
        s.mark = 0;
    for (ControlPoint& p : pts)
        p.mark = -1;  // the index of the point's copy
    // Only points that existed before can be selected corners; copies are appended past them.
    const std::vector<uint8_t> selected = IndexBitmap(doc.selectedAnchors, base);

    // A handle copy gets the copy of its anchor as owner; owner -1 copies the record as it is.
    auto obtain = [&pts](int32_t src, int32_t owner) {
        if (pts[src].mark != -1) return pts[src].mark;
        ControlPoint copy = pts[src];
        if (owner >= 0) copy.anchor = owner;
        const int32_t index = static_cast<int32_t>(pts.size());
        pts.push_back(copy);
        pts[src].mark = index;
        return index;
    };
    auto append = [&segs](int32_t p0, int32_t p1, int32_t p2, int32_t p3) {
        segs.push_back(Segment{p0, p1, p2, p3, 1});
        return static_cast<int32_t>(segs.size()) - 1;
    };

    // Patches appended below have unselected corners, so only the original ones can qualify.
    for (int32_t k = 0; k < patchCount; ++k) {
        const Patch q = obj->patches[k];
        const Segment e0 = segs[q.edge0];
        const Segment e1 = segs[q.edge1];
        const Segment e2 = segs[q.edge2];
        const Segment e3 = segs[q.edge3];
        if (!selected[e0.p0] || !selected[e0.p3] || !selected[e1.p0] || !selected[e1.p3]) {
            continue;
        }
        const int32_t c00 = obtain(e0.p0, -1);
        const int32_t c03 = obtain(e0.p3, -1);
        const int32_t c30 = obtain(e1.p0, -1);
        const int32_t c33 = obtain(e1.p3, -1);
        const int32_t h01 = obtain(e0.p1, c00);
        const int32_t h02 = obtain(e0.p2, c03);
        const int32_t h10 = obtain(e2.p1, c00);
        const int32_t h13 = obtain(e3.p1, c03);
        const int32_t h20 = obtain(e2.p2, c30);
        const int32_t h23 = obtain(e3.p2, c33);
        const int32_t h31 = obtain(e1.p1, c30);
        const int32_t h32 = obtain(e1.p2, c33);

        Patch copy;
        copy.edge0 = append(c00, h01, h02, c03);
        copy.edge1 = append(c30, h31, h32, c33);
        copy.edge2 = append(c00, h10, h20, c30);
        copy.edge3 = append(c03, h13, h23, c33);
        int32_t* inner[4] = {&copy.inner11, &copy.inner12, &copy.inner21, &copy.inner22};
        const int32_t from[4] = {q.inner11, q.inner12, q.inner21, q.inner22};
        const int32_t owner[4] = {c00, c03, c30, c33};
        for (int i = 0; i < 4; ++i) {
            ControlPoint p;
            p.x = pts[from[i]].x;
            p.y = pts[from[i]].y;
            p.z = pts[from[i]].z;
            p.anchor = owner[i];
            p.layer = 0;
            *inner[i] = static_cast<int32_t>(pts.size());
            pts.push_back(p);
        }
        obj->patches.push_back(copy);
    }

    // The source edges of copied patches were not marked, so they are copied again here as
    // free segments; the fold below removes those duplicates.
    for (int32_t i = 0; i < segmentCount; ++i) {
        const Segment s = segs[i];
        if (s.mark != 0 || !selected[s.p0] || !selected[s.p3]) continue;
        const int32_t k0 = obtain(s.p0, -1);
        const int32_t k3 = obtain(s.p3, -1);
        const int32_t k1 = obtain(s.p1, k0);
        const int32_t k2 = obtain(s.p2, k3);
        append(k0, k1, k2, k3);
        segs[i].mark = 1;
    }

    SelectNewAnchors(doc, base);
    RemoveDuplicateSegments(doc);
    RebuildControlCaches(doc);
    DocumentChanged(doc, sw);
}

}  // namespace zarni
