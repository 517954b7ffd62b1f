// The drawing benchmarks' document: one octant of a bumpy sphere in 500 patches at level 20,
// mirrored across X, Y and Z (4,000 patch copies, 16,000 curve copies).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "model/document.h"

namespace zarni::bench {

constexpr int kDrawRows = 20;
constexpr int kDrawColumns = 25;  // 500 patches

namespace detail {

inline Vec3 Sphere(float theta, float phi) {
    const float r = 1.8f + 0.15f * std::sin(5 * theta) * std::cos(4 * phi);
    return Vec3{r * std::sin(theta) * std::cos(phi), r * std::cos(theta),
                r * std::sin(theta) * std::sin(phi)};
}

inline int32_t AddPoint(PatchObject& obj, Vec3 p, int32_t anchor) {
    ControlPoint c;
    c.x = p.x;
    c.y = p.y;
    c.z = p.z;
    c.anchor = anchor;
    obj.points.push_back(c);
    return obj.pointCount() - 1;
}

}  // namespace detail

// One octant of a bumpy sphere in 25 x 20 patches, each with its own four edges, copied into
// the other seven octants by the mirrors.
inline Document DrawBenchDocument() {
    Document doc = NewDocument();
    PatchObject& obj = doc.objects[0];
    obj.mirrorFlags = kMirrorX | kMirrorY | kMirrorZ;
    const float dTheta = 1.5f / kDrawRows, dPhi = 1.5f / kDrawColumns;
    for (int i = 0; i < kDrawRows; ++i) {
        for (int j = 0; j < kDrawColumns; ++j) {
            // Corners first so that handles and interior points can name their owner.
            int32_t net[16];
            std::fill(net, net + 16, -1);
            for (int k : {0, 3, 12, 15}) {
                const int r = k / 4, c = k % 4;
                net[k] = detail::AddPoint(
                    obj, detail::Sphere(0.05f + (i + r / 3.0f) * dTheta, (j + c / 3.0f) * dPhi),
                    -1);
            }
            for (int k = 0; k < 16; ++k) {
                if (net[k] >= 0) continue;
                const int r = k / 4, c = k % 4;
                const int32_t owner = net[(r < 2 ? 0 : 12) + (c < 2 ? 0 : 3)];
                net[k] = detail::AddPoint(
                    obj, detail::Sphere(0.05f + (i + r / 3.0f) * dTheta, (j + c / 3.0f) * dPhi),
                    owner);
            }
            const int32_t segBase = obj.segmentCount();
            auto seg = [&](int a, int b, int c, int d) {
                Segment s;
                s.p0 = net[a];
                s.p1 = net[b];
                s.p2 = net[c];
                s.p3 = net[d];
                obj.segments.push_back(s);
            };
            seg(0, 1, 2, 3);
            seg(12, 13, 14, 15);
            seg(0, 4, 8, 12);
            seg(3, 7, 11, 15);
            Patch q;
            q.edge0 = segBase;
            q.edge1 = segBase + 1;
            q.edge2 = segBase + 2;
            q.edge3 = segBase + 3;
            q.inner11 = net[5];
            q.inner12 = net[6];
            q.inner21 = net[9];
            q.inner22 = net[10];
            obj.patches.push_back(q);
        }
    }
    RebuildObjectCaches(obj);
    return doc;
}

}  // namespace zarni::bench
