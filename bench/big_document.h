// A large document for the benchmarks: one object of 1,000,000 points, 500,000 segments and
// 100,000 patches with valid indices throughout.
#pragma once

#include <cstdint>

#include "model/document.h"

namespace zarni::bench {

inline Document BigDocument(int32_t points = 1000000, int32_t segments = 500000,
                            int32_t patches = 100000) {
    Document doc = NewDocument();
    PatchObject& obj = doc.objects[0];
    obj.points.resize(points);
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed;
    };
    for (int32_t i = 0; i < points; ++i) {
        ControlPoint& p = obj.points[i];
        p.x = static_cast<float>(next() % 20000) / 1000.0f - 10.0f;
        p.y = static_cast<float>(next() % 20000) / 1000.0f - 10.0f;
        p.z = static_cast<float>(next() % 20000) / 1000.0f - 10.0f;
        p.anchor = (i % 4 == 0) ? -1 : i - (i % 4);
        p.layer = static_cast<uint8_t>(i % 6);
    }
    obj.segments.resize(segments);
    for (int32_t i = 0; i < segments; ++i) {
        const int32_t base = (i * 2) % (points - 3);
        obj.segments[i] = Segment{base, base + 1, base + 2, base + 3, 0};
    }
    obj.patches.resize(patches);
    for (int32_t i = 0; i < patches; ++i) {
        const int32_t e = (i * 4) % (segments - 3);
        const int32_t p = (i * 9) % (points - 3);
        obj.patches[i] = Patch{e, e + 1, e + 2, e + 3, p, p + 1, p + 2, p + 3, 0};
    }
    RebuildControlCaches(doc);
    return doc;
}

}  // namespace zarni::bench
