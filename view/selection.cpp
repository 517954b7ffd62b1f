// The point selection of the current object and the moves that act on it.
#include "view/selection.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "ops/point_sets.h"

namespace zarni {

namespace {

bool InHandleMode(const EditSwitches& sw) {
    return sw.handleMode != 0;
}

std::vector<int32_t>& ModeList(Document& doc, const EditSwitches& sw) {
    return InHandleMode(sw) ? doc.selectedHandles : doc.selectedAnchors;
}

bool Contains(const std::vector<int32_t>& list, int32_t i) {
    return std::find(list.begin(), list.end(), i) != list.end();
}

Vec3 PositionOf(const ControlPoint& p) {
    return Vec3{p.x, p.y, p.z};
}

// Appends, in index order, every point that the present mode may select and `skip` does not
// hold: what selecting each point with "add" amounts to on an emptied list, without a search of
// the list per point.
void SelectEligible(Document& doc, const EditSwitches& sw, const std::vector<uint8_t>* skip,
                    Vec3* dragOrigin) {
    const PatchObject& obj = *doc.Current();
    const int32_t n = obj.pointCount();
    const std::vector<uint8_t> ownerSelected = IndexBitmap(doc.selectedAnchors, n);
    std::vector<int32_t>& list = ModeList(doc, sw);
    for (int32_t i = 0; i < n; ++i) {
        if (skip && (*skip)[i]) continue;
        const int32_t owner = obj.points[i].anchor;
        const bool eligible =
            InHandleMode(sw) ? owner >= 0 && owner < n && ownerSelected[owner] : owner < 0;
        if (!eligible) continue;
        list.push_back(i);
        doc.activePoint = i;
    }
    if (dragOrigin && doc.activePoint >= 0) *dragOrigin = PositionOf(obj.points[doc.activePoint]);
}

bool HasPoints(const Document& doc) {
    const PatchObject* obj = doc.Current();
    return obj != nullptr && obj->pointCount() > 0;
}

}  // namespace

void SelectPoint(Document& doc, const EditSwitches& sw, int32_t i, bool add, ModifierKeys keys,
                 Vec3* dragOrigin) {
    const PatchObject* obj = doc.Current();
    if (obj == nullptr || i < 0 || i >= obj->pointCount()) return;
    const int32_t owner = obj->points[i].anchor;
    if (InHandleMode(sw)) {
        if (owner < 0 || !Contains(doc.selectedAnchors, owner)) return;
    } else if (owner >= 0) {
        return;
    }
    doc.activePoint = i;
    if (dragOrigin) *dragOrigin = PositionOf(obj->points[i]);
    std::vector<int32_t>& list = ModeList(doc, sw);
    if (add || keys.ctrl) {
        if (!Contains(list, i)) list.push_back(i);
    } else {
        list.assign(1, i);
    }
}

void SelectAll(Document& doc, const EditSwitches& sw, Vec3* dragOrigin) {
    if (!HasPoints(doc)) return;
    SelectNone(doc, sw);
    SelectEligible(doc, sw, nullptr, dragOrigin);
    DocumentChanged(doc, sw);
}

void SelectNone(Document& doc, const EditSwitches& sw) {
    if (!HasPoints(doc)) return;
    ModeList(doc, sw).clear();
    doc.activePoint = -1;
    DocumentChanged(doc, sw);
}

void InvertSelection(Document& doc, const EditSwitches& sw, Vec3* dragOrigin) {
    if (!HasPoints(doc)) return;
    const std::vector<uint8_t> was = IndexBitmap(ModeList(doc, sw), doc.Current()->pointCount());
    SelectNone(doc, sw);
    SelectEligible(doc, sw, &was, dragOrigin);
    DocumentChanged(doc, sw);
}

void ToggleHandleMode(Document& doc, EditSwitches& sw) {
    if (InHandleMode(sw)) {
        doc.activePoint = doc.selectedAnchors.empty() ? -1 : doc.selectedAnchors.back();
    } else {
        doc.selectedHandles.clear();
        doc.activePoint = -1;
    }
    sw.handleMode = InHandleMode(sw) ? 0 : 1;
    DocumentChanged(doc, sw);
}

void MoveSelection(Document& doc, const EditSwitches& sw, Vec3 delta) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr) return;
    std::vector<ControlPoint>& pts = obj->points;
    const int32_t n = obj->pointCount();
    for (ControlPoint& p : pts)
        p.mark = 0;
    auto move = [&sw, &delta](ControlPoint& p) {
        if (!(sw.axisLock & kLockX)) p.x += delta.x;
        if (!(sw.axisLock & kLockY)) p.y += delta.y;
        if (!(sw.axisLock & kLockZ)) p.z += delta.z;
    };
    const OwnedPoints owned(pts);
    auto moveWithOwned = [&](int32_t a) {
        move(pts[a]);
        for (const int32_t* h = owned.begin(a); h != owned.end(a); ++h) {
            if (pts[*h].mark != 0) continue;
            move(pts[*h]);
            pts[*h].mark = 1;
        }
    };
    if (InHandleMode(sw)) {
        if (doc.activePoint >= 0 && doc.activePoint < n) moveWithOwned(doc.activePoint);
        return;
    }
    for (int32_t a : doc.selectedAnchors) {
        if (a >= 0 && a < n) moveWithOwned(a);
    }
}

int32_t FindNearestPoint(const Document& doc, int32_t k) {
    const PatchObject* obj = doc.Current();
    if (obj == nullptr || k < 0 || k >= obj->pointCount()) return -1;
    const ControlPoint& from = obj->points[k];
    float best = 0.2f;
    int32_t result = -1;
    for (int32_t q = 0; q < obj->pointCount(); ++q) {
        if (q == k) continue;
        const ControlPoint& p = obj->points[q];
        const float dist =
            std::fabs(p.x - from.x) + std::fabs(p.y - from.y) + std::fabs(p.z - from.z);
        if (dist < best) {
            best = dist;
            result = q;
        }
    }
    return result;
}

}  // namespace zarni
