// New curve segments drawn in the view, stored into the current object.
#include "ops/curves.h"

namespace zarni {

bool AppendCurveSegment(Document& doc, const EditSwitches& sw, bool continueCurve,
                        const std::array<Vec3, 4>& q) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr) return false;
    const int32_t base = obj->pointCount();
    // Continuing an empty object would join the segment to point -1.
    if (continueCurve && base == 0) return false;

    uint8_t layer = 0;
    for (uint8_t k = 0; k < 6; ++k) {
        if (sw.layerVisible[k]) {
            layer = k;
            break;
        }
    }
    auto add = [obj, layer](const Vec3& at, int32_t anchor) {
        ControlPoint p;
        p.x = at.x;
        p.y = at.y;
        p.z = at.z;
        p.anchor = anchor;
        p.layer = layer;
        obj->points.push_back(p);
    };
    if (!continueCurve) {
        add(q[0], -1);
        add(q[1], base);
        add(q[2], base + 3);
        add(q[3], -1);
        doc.selectedAnchors = {base, base + 3};
        doc.activePoint = base + 3;
        obj->segments.push_back(Segment{base, base + 1, base + 2, base + 3, 0});
    } else {
        add(q[1], base - 1);
        add(q[2], base + 2);
        add(q[3], -1);
        doc.selectedAnchors.push_back(base + 2);
        doc.activePoint = base + 2;
        obj->segments.push_back(Segment{base - 1, base, base + 1, base + 2, 0});
    }
    RebuildControlCaches(doc);
    DocumentChanged(doc, sw);
    return true;
}

}  // namespace zarni
