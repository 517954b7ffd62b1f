// Axis mirror of the selection.
#include "ops/mirror.h"

#include "ops/point_sets.h"

namespace zarni {

void MirrorSelectionAxis(Document& doc, const EditSwitches& sw, int axis) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr || axis < 0 || axis > 2 || (sw.axisLock & (1 << axis))) return;
    std::vector<ControlPoint>& pts = obj->points;
    const int32_t n = obj->pointCount();
    auto negate = [axis](ControlPoint& p) {
        float& c = axis == 0 ? p.x : (axis == 1 ? p.y : p.z);
        c = -c;
    };
    for (ControlPoint& p : pts)
        p.mark = 0;
    const OwnedPoints owned(pts);
    for (int32_t a : doc.selectedAnchors) {
        if (a < 0 || a >= n) continue;
        negate(pts[a]);
        // A point is negated once as an owned point, however often its anchor is listed.
        for (const int32_t* q = owned.begin(a); q != owned.end(a); ++q) {
            if (pts[*q].mark != 0) continue;
            negate(pts[*q]);
            pts[*q].mark = 1;
        }
    }
}

}  // namespace zarni
