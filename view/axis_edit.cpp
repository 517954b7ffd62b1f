// Numeric axis edits of the selection and of the background pictures.
#include "view/axis_edit.h"

#include <cmath>
#include <vector>

#include "ops/point_sets.h"

namespace zarni {

namespace {

float& Component(Vec3& v, int k) {
    return k == 0 ? v.x : (k == 1 ? v.y : v.z);
}
float Component(const Vec3& v, int k) {
    return k == 0 ? v.x : (k == 1 ? v.y : v.z);
}
float Component(const ControlPoint& p, int k) {
    return k == 0 ? p.x : (k == 1 ? p.y : p.z);
}
float& Component(ControlPoint& p, int k) {
    return k == 0 ? p.x : (k == 1 ? p.y : p.z);
}

bool Locked(const EditSwitches& sw, int k) {
    return (sw.axisLock & (1 << k)) != 0;
}

// Rotation by `angle` about axis k, right-handed: seen from the positive end of the axis a
// positive angle turns counter-clockwise.
Vec3 Rotate(int k, float angle, Vec3 d) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    switch (k) {
        case 0:
            return Vec3{d.x, c * d.y - s * d.z, s * d.y + c * d.z};
        case 1:
            return Vec3{c * d.x + s * d.z, d.y, -s * d.x + c * d.z};
        default:
            return Vec3{c * d.x - s * d.y, s * d.x + c * d.y, d.z};
    }
}

// Turns p about `centre`, writing only the unlocked components.
void RotateAbout(ControlPoint& p, Vec3 centre, int k, float angle, const EditSwitches& sw) {
    const Vec3 d = Rotate(k, angle, Vec3{p.x - centre.x, p.y - centre.y, p.z - centre.z});
    if (!Locked(sw, 0)) p.x = centre.x + d.x;
    if (!Locked(sw, 1)) p.y = centre.y + d.y;
    if (!Locked(sw, 2)) p.z = centre.z + d.z;
}

Vec3 PositionOf(const ControlPoint& p) {
    return Vec3{p.x, p.y, p.z};
}

// Each selected anchor, then each of its points not yet visited; `f` gets the point and whether
// it is the anchor itself.
template <typename F>
void ForSelectedAnchorsAndOwned(PatchObject& obj, const std::vector<int32_t>& anchors, F f,
                                bool ownedFirst) {
    std::vector<ControlPoint>& pts = obj.points;
    const int32_t n = obj.pointCount();
    const OwnedPoints owned(pts);
    for (int32_t s : anchors) {
        if (s < 0 || s >= n) continue;
        if (!ownedFirst) f(pts[s]);
        for (const int32_t* h = owned.begin(s); h != owned.end(s); ++h) {
            if (pts[*h].mark != 0) continue;
            f(pts[*h]);
            pts[*h].mark = 1;
        }
        if (ownedFirst) f(pts[s]);
    }
}

// The selected handles with their owners; entries that are not handles of this object own
// nothing to turn or scale about and are passed over.
template <typename F>
void ForSelectedHandles(PatchObject& obj, const std::vector<int32_t>& handles, F f) {
    const int32_t n = obj.pointCount();
    for (int32_t h : handles) {
        if (h < 0 || h >= n) continue;
        const int32_t owner = obj.points[h].anchor;
        if (owner < 0 || owner >= n) continue;
        f(obj.points[h], PositionOf(obj.points[owner]));
    }
}

}  // namespace

PictureViews FourViewLayoutViews() {
    return PictureViews{{PictureView{true, 0}, PictureView{false, kBackTop},
                         PictureView{false, kBackFront}, PictureView{false, kBackRight}}};
}

void BackPictureEdit(Document& doc, const EditSwitches& sw, const PictureViews& views, int axis,
                     float v) {
    if (axis < 0 || axis > 2) return;
    for (const PictureView& view : views) {
        if (view.perspective || view.viewIndex < 0 || view.viewIndex >= kBackSlotCount) continue;
        BackPictureSlot& slot = doc.backPictures[view.viewIndex];
        switch (sw.editMode) {
            case EditMode::Move:
                Component(slot.position, axis) += v;
                break;
            case EditMode::Scale:
                Component(slot.scale, axis) += v;
                break;
            case EditMode::Rotate:
                Component(slot.rotation, axis) += v;  // degrees, added as given
                break;
        }
    }
}

void AxisEdit(Document& doc, const EditSwitches& sw, const PictureViews& views, int axis, float v) {
    if (axis < 0 || axis > 2) return;
    if (!doc.HasActiveObject()) {
        BackPictureEdit(doc, sw, views, axis, v);
        return;
    }
    PatchObject& obj = *doc.Current();
    const int32_t n = obj.pointCount();
    if (doc.activePoint < 0 || doc.activePoint >= n) return;
    for (ControlPoint& p : obj.points)
        p.mark = 0;
    const ControlPoint active = obj.points[doc.activePoint];
    const bool onAnchor = active.anchor < 0;
    if (!onAnchor && active.anchor >= n) return;
    const int k = axis;
    const Vec3 g = doc.pivot;
    const float gk = Component(g, k);

    switch (sw.editMode) {
        case EditMode::Move: {
            if (Locked(sw, k)) return;
            if (onAnchor) {
                ForSelectedAnchorsAndOwned(
                    obj, doc.selectedAnchors, [&](ControlPoint& p) { Component(p, k) += v; },
                    false);
            } else {
                ForSelectedHandles(obj, doc.selectedHandles,
                                   [&](ControlPoint& h, Vec3) { Component(h, k) += v; });
            }
            return;
        }
        case EditMode::Scale: {
            if (Locked(sw, k)) return;
            if (onAnchor) {
                const float denom = Component(active, k) - gk;
                if (denom == 0.0f) return;
                const float q = v / denom;  // taken once, before anything moves
                ForSelectedAnchorsAndOwned(
                    obj, doc.selectedAnchors,
                    [&](ControlPoint& p) { Component(p, k) += (Component(p, k) - gk) * q; }, true);
            } else {
                const float denom = Component(active, k) - Component(obj.points[active.anchor], k);
                if (denom == 0.0f) return;
                const float q = v / denom;
                ForSelectedHandles(obj, doc.selectedHandles, [&](ControlPoint& h, Vec3 a) {
                    Component(h, k) += (Component(h, k) - Component(a, k)) * q;
                });
            }
            return;
        }
        case EditMode::Rotate: {
            if (onAnchor) {
                ForSelectedAnchorsAndOwned(
                    obj, doc.selectedAnchors, [&](ControlPoint& p) { RotateAbout(p, g, k, v, sw); },
                    false);
            } else {
                ForSelectedHandles(obj, doc.selectedHandles,
                                   [&](ControlPoint& h, Vec3 a) { RotateAbout(h, a, k, v, sw); });
            }
            return;
        }
    }
}

void AllAxesEdit(Document& doc, const EditSwitches& sw, const PictureViews& views, float v) {
    switch (sw.editMode) {
        case EditMode::Move:
        case EditMode::Rotate:
            for (int k = 0; k < 3; ++k) {
                if (!Locked(sw, k)) AxisEdit(doc, sw, views, k, v);
            }
            return;
        case EditMode::Scale: {
            // The pictures have no active point to measure against: each unlocked axis of
            // their scale grows by v, as the other modes do.
            if (!doc.HasActiveObject()) {
                for (int k = 0; k < 3; ++k) {
                    if (!Locked(sw, k)) BackPictureEdit(doc, sw, views, k, v);
                }
                return;
            }
            const PatchObject& obj = *doc.Current();
            if (doc.activePoint < 0 || doc.activePoint >= obj.pointCount()) return;
            for (int k = 0; k < 3; ++k) {
                if (Locked(sw, k)) continue;
                const ControlPoint& a = obj.points[doc.activePoint];
                const float ak = Component(a, k);
                const float gk = Component(doc.pivot, k);
                AxisEdit(doc, sw, views, k, v * (ak - gk));
            }
            return;
        }
    }
}

}  // namespace zarni
