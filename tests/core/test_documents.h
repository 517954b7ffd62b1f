// Small documents built in code for the tests.
#pragma once

#include "model/document.h"

namespace zarni::testdocs {

// Appends one flat patch on a 4 x 4 grid of spacing 1 at height z: 16 points, its 4 edge
// segments and 4 free curves through the interior (8 segments), with handles owned by the
// anchor at their end and interior points by the nearest corner.
inline void AddQuadPatch(PatchObject& obj, float z) {
    const int32_t base = obj.pointCount();
    const int32_t segBase = obj.segmentCount();
    // Net index r*4+c -> point base + r*4+c.
    auto idx = [base](int r, int c) { return base + r * 4 + c; };
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            ControlPoint p;
            p.x = static_cast<float>(c);
            p.y = static_cast<float>(r);
            p.z = z;
            const bool corner = (r == 0 || r == 3) && (c == 0 || c == 3);
            if (corner) {
                p.anchor = -1;
            } else {
                const int ar = r < 2 ? 0 : 3;
                const int ac = c < 2 ? 0 : 3;
                p.anchor = idx(ar, ac);
            }
            obj.points.push_back(p);
        }
    }
    auto seg = [](int32_t a, int32_t b, int32_t c, int32_t d) {
        Segment s;
        s.p0 = a;
        s.p1 = b;
        s.p2 = c;
        s.p3 = d;
        return s;
    };
    obj.segments.push_back(seg(idx(0, 0), idx(0, 1), idx(0, 2), idx(0, 3)));  // row 0
    obj.segments.push_back(seg(idx(3, 0), idx(3, 1), idx(3, 2), idx(3, 3)));  // row 3
    obj.segments.push_back(seg(idx(0, 0), idx(1, 0), idx(2, 0), idx(3, 0)));  // column 0
    obj.segments.push_back(seg(idx(0, 3), idx(1, 3), idx(2, 3), idx(3, 3)));  // column 3
    // Four more free curves through the interior, so the object has 8 segments.
    obj.segments.push_back(seg(idx(1, 0), idx(1, 1), idx(1, 2), idx(1, 3)));
    obj.segments.push_back(seg(idx(2, 0), idx(2, 1), idx(2, 2), idx(2, 3)));
    obj.segments.push_back(seg(idx(0, 1), idx(1, 1), idx(2, 1), idx(3, 1)));
    obj.segments.push_back(seg(idx(0, 2), idx(1, 2), idx(2, 2), idx(3, 2)));
    Patch q;
    q.edge0 = segBase + 0;
    q.edge1 = segBase + 1;
    q.edge2 = segBase + 2;
    q.edge3 = segBase + 3;
    q.inner11 = idx(1, 1);
    q.inner12 = idx(1, 2);
    q.inner21 = idx(2, 1);
    q.inner22 = idx(2, 2);
    obj.patches.push_back(q);
}

}  // namespace zarni::testdocs
