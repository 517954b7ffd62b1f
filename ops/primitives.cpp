// The Model menu's circles and sphere, appended to the current object.
#include "ops/primitives.h"

#include <cmath>

#include "ops/clipboard.h"
#include "ops/lathe.h"

namespace zarni {

namespace {

constexpr double kPi = 3.14159265358979323846;

int32_t Append(PatchObject& obj, float x, float y, float z, int32_t anchor) {
    ControlPoint p;
    p.x = x;
    p.y = y;
    p.z = z;
    p.anchor = anchor;
    p.layer = 0;
    obj.points.push_back(p);
    return obj.pointCount() - 1;
}

void AppendSegment(PatchObject& obj, int32_t p0, int32_t p1, int32_t p2, int32_t p3) {
    Segment s;
    s.p0 = p0;
    s.p1 = p1;
    s.p2 = p2;
    s.p3 = p3;
    obj.segments.push_back(s);
}

void Finish(Document& doc, const EditSwitches& sw, int32_t base) {
    SelectNewAnchors(doc, base);
    RebuildControlCaches(doc);
    DocumentChanged(doc, sw);
}

}  // namespace

void AddCircle4(Document& doc, const EditSwitches& sw) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr) return;
    const int32_t b = obj->pointCount();
    const float k = ArcHandleFactor[4];
    Append(*obj, 0, 0, 1, -1);
    Append(*obj, k, 0, 1, b + 0);
    Append(*obj, 1, 0, k, b + 3);
    Append(*obj, 1, 0, 0, -1);
    Append(*obj, 1, 0, -k, b + 3);
    Append(*obj, k, 0, -1, b + 6);
    Append(*obj, 0, 0, -1, -1);
    Append(*obj, -k, 0, -1, b + 6);
    Append(*obj, -1, 0, -k, b + 9);
    Append(*obj, -1, 0, 0, -1);
    Append(*obj, -1, 0, k, b + 9);
    Append(*obj, -k, 0, 1, b + 0);
    for (int32_t j = 0; j < 4; ++j) {
        AppendSegment(*obj, b + 3 * j, b + 3 * j + 1, b + 3 * j + 2, b + (3 * j + 3) % 12);
    }
    Finish(doc, sw, b);
}

// The eighth-turn is applied to already rotated single-precision values, arc after arc, so the
// points carry the rounding of the chain the circle was always built with.
void AddCircle8(Document& doc, const EditSwitches& sw) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr) return;
    const int32_t b = obj->pointCount();
    const float k = ArcHandleFactor[8];
    const float c = static_cast<float>(std::cos(kPi / 4));
    const float s = static_cast<float>(std::sin(kPi / 4));
    auto turn = [&](int32_t from, int32_t anchor) {
        const ControlPoint p = obj->points[from];
        return Append(*obj, c * p.x + s * p.z, p.y, -s * p.x + c * p.z, anchor);
    };
    Append(*obj, 0, 0, 1, -1);
    Append(*obj, k, 0, 1, b + 0);
    const int32_t into = Append(*obj, -k, 0, 1, b + 3);
    const int32_t next = Append(*obj, 0, 0, 1, -1);
    for (int32_t i : {into, next}) {
        const ControlPoint p = obj->points[i];
        obj->points[i].x = c * p.x + s * p.z;
        obj->points[i].z = -s * p.x + c * p.z;
    }
    for (int32_t g = 1; g <= 6; ++g) {
        turn(b + 3 * g - 2, b + 3 * g);
        turn(b + 3 * g - 1, b + 3 * g + 3);
        turn(b + 3 * g, -1);
    }
    turn(b + 19, b + 21);
    turn(b + 20, b + 0);
    for (int32_t j = 0; j < 8; ++j) {
        AppendSegment(*obj, b + 3 * j, b + 3 * j + 1, b + 3 * j + 2, b + (3 * j + 3) % 24);
    }
    Finish(doc, sw, b);
}

void AddSphere(Document& doc, const EditSwitches& sw) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr) return;
    const int32_t b = obj->pointCount();
    const float k = ArcHandleFactor[4];
    Append(*obj, 0, 1, 0, -1);
    Append(*obj, k, 1, 0, b + 0);
    Append(*obj, 1, k, 0, b + 3);
    Append(*obj, 1, 0, 0, -1);
    Append(*obj, 1, -k, 0, b + 3);
    Append(*obj, k, -1, 0, b + 6);
    Append(*obj, 0, -1, 0, -1);
    AppendSegment(*obj, b + 0, b + 1, b + 2, b + 3);
    AppendSegment(*obj, b + 3, b + 4, b + 5, b + 6);
    SelectNewAnchors(doc, b);
    // The sphere's own lathe settings are used in memory only; the lathe dialog reads its
    // settings from the file again next time.
    LatheSettings settings;
    settings.axis = 2;
    settings.divLevel = 4;
    LatheFull(doc, sw, settings);
    Finish(doc, sw, b);
}

}  // namespace zarni
