// Unfold: the symmetry copies of an object appended as real points, segments and patches.
#include "ops/unfold.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace zarni {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Appends a copy of the first n points, ns segments and np patches with indices shifted by one
// such block per copy; `place` moves each copied position.
template <class F>
void AppendCopy(PatchObject& obj, int32_t n, int32_t ns, int32_t np, int32_t copy, F&& place) {
    const int32_t pointShift = copy * n;
    const int32_t segmentShift = copy * ns;
    for (int32_t i = 0; i < n; ++i) {
        ControlPoint p = obj.points[i];
        if (p.anchor >= 0) p.anchor += pointShift;
        place(p);
        obj.points.push_back(p);
    }
    for (int32_t i = 0; i < ns; ++i) {
        Segment s = obj.segments[i];
        s.p0 += pointShift;
        s.p1 += pointShift;
        s.p2 += pointShift;
        s.p3 += pointShift;
        obj.segments.push_back(s);
    }
    for (int32_t i = 0; i < np; ++i) {
        Patch q = obj.patches[i];
        q.edge0 += segmentShift;
        q.edge1 += segmentShift;
        q.edge2 += segmentShift;
        q.edge3 += segmentShift;
        q.inner11 += pointShift;
        q.inner12 += pointShift;
        q.inner21 += pointShift;
        q.inner22 += pointShift;
        obj.patches.push_back(q);
    }
}

bool WindmillAxisValid(int32_t axis) {
    return axis >= 1 && axis <= 3;
}

}  // namespace

void UnfoldSymmetry(Document& doc, const EditSwitches& sw) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr) return;
    const int32_t flags = obj->mirrorFlags;
    // The view draws an axis outside 1..3 as every copy on top of the first; unfolding that
    // would only stack invisible duplicates, so such a windmill adds nothing.
    const int32_t windmill =
        obj->windmillCount > 1 && WindmillAxisValid(obj->windmillAxis) ? obj->windmillCount : 1;
    const bool move = (flags & kMirrorMove) != 0;

    // Every count is multiplied by the same factor; refuse a factor that would overflow the
    // 32-bit counts rather than corrupt the object.
    int64_t factor = windmill;
    for (int32_t bit : {kMirrorX, kMirrorY, kMirrorZ}) {
        if (flags & bit) factor *= 2;
    }
    if (move) factor *= 2;
    const int64_t largest =
        std::max({obj->points.size(), obj->segments.size(), obj->patches.size()});
    if (largest * factor > INT32_MAX) return;

    auto doubleWith = [obj](auto&& place) {
        AppendCopy(*obj, obj->pointCount(), obj->segmentCount(), obj->patchCount(), 1, place);
    };
    if (flags & kMirrorX) doubleWith([](ControlPoint& p) { p.x = -p.x; });
    if (flags & kMirrorY) doubleWith([](ControlPoint& p) { p.y = -p.y; });
    if (flags & kMirrorZ) doubleWith([](ControlPoint& p) { p.z = -p.z; });

    if (windmill > 1) {
        const int32_t n = obj->pointCount();
        const int32_t ns = obj->segmentCount();
        const int32_t np = obj->patchCount();
        const int32_t axis = obj->windmillAxis;
        obj->points.reserve(static_cast<size_t>(n) * windmill);
        obj->segments.reserve(static_cast<size_t>(ns) * windmill);
        obj->patches.reserve(static_cast<size_t>(np) * windmill);
        for (int32_t k = 1; k < windmill; ++k) {
            const double angle = 2.0 * kPi * k / windmill;
            const float c = static_cast<float>(std::cos(angle));
            const float s = static_cast<float>(std::sin(angle));
            AppendCopy(*obj, n, ns, np, k, [axis, c, s](ControlPoint& p) {
                const float x = p.x, y = p.y, z = p.z;
                if (axis == 1) {
                    p.y = c * y - s * z;
                    p.z = s * y + c * z;
                } else if (axis == 2) {
                    p.x = c * x + s * z;
                    p.z = -s * x + c * z;
                } else {
                    p.x = c * x - s * y;
                    p.y = s * x + c * y;
                }
            });
        }
    }

    if (move) {
        const float dx = static_cast<float>(obj->moveX / 1000.0);
        const float dy = static_cast<float>(obj->moveY / 1000.0);
        const float dz = static_cast<float>(obj->moveZ / 1000.0);
        doubleWith([dx, dy, dz](ControlPoint& p) {
            p.x = p.x + dx;
            p.y = p.y + dy;
            p.z = p.z + dz;
        });
    }

    obj->mirrorFlags = 0;
    obj->windmillCount = 1;
    obj->windmillAxis = 1;
    obj->moveX = 0;
    obj->moveY = 0;
    obj->moveZ = 0;
    RebuildControlCaches(doc);
    DocumentChanged(doc, sw);
}

}  // namespace zarni
