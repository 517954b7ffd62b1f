// Handle smoothing and straightening of the selected handles.
#include "ops/handles.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "ops/point_sets.h"

namespace zarni {

namespace {

// Position of each point in the handle selection, -1 where it is not selected; it gives both
// membership and the list order in constant time.
std::vector<int32_t> ListPositions(const std::vector<int32_t>& list, int32_t count) {
    std::vector<int32_t> pos(static_cast<size_t>(count), -1);
    for (size_t k = 0; k < list.size(); ++k) {
        const int32_t i = list[k];
        if (i >= 0 && i < count && pos[i] < 0) pos[i] = static_cast<int32_t>(k);
    }
    return pos;
}

// The selected ones among `candidates`, in the order of the handle selection; a point named
// twice (both handles of a segment being one point) is visited once, as the selection lists it
// once.
template <size_t N>
std::vector<std::pair<int32_t, int>> SelectedInListOrder(const std::vector<int32_t>& listPos,
                                                         const int32_t (&candidates)[N]) {
    std::vector<std::pair<int32_t, int>> found;
    for (size_t c = 0; c < N; ++c) {
        if (listPos[candidates[c]] >= 0) found.push_back({listPos[candidates[c]], int(c)});
    }
    std::sort(found.begin(), found.end());
    return found;
}

void SetPosition(ControlPoint& p, float x, float y, float z) {
    p.x = x;
    p.y = y;
    p.z = z;
}

}  // namespace

void SmoothHandles(Document& doc, const EditSwitches& sw) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr) return;
    std::vector<ControlPoint>& pts = obj->points;
    const int32_t n = obj->pointCount();
    const std::vector<int32_t> listPos = ListPositions(doc.selectedHandles, n);
    const OwnedPoints owned(pts);
    float best = 200.0f;  // one bound for the whole command

    for (const Segment& s : obj->segments) {
        const int32_t candidates[2] = {s.p1, s.p2};
        auto order = SelectedInListOrder(listPos, candidates);
        if (order.size() == 2 && s.p1 == s.p2) order.pop_back();
        for (const auto& entry : order) {
            const int32_t h = candidates[entry.second];
            const int32_t a = pts[h].anchor;
            if (a < 0 || a >= n) continue;  // not a handle: there is no anchor to turn it about
            const int32_t count = owned.count(a);
            if (count < 2) continue;
            const int32_t j = *owned.begin(a) != h ? *owned.begin(a) : owned.begin(a)[1];
            const ControlPoint A = pts[a];
            const ControlPoint J = pts[j];
            if (count > 2) {
                const ControlPoint H = pts[h];
                const float mx = A.x - (H.x - A.x);
                const float my = A.y - (H.y - A.y);
                const float mz = A.z - (H.z - A.z);
                const float d = std::fabs(mx - J.x) + std::fabs(my - J.y) + std::fabs(mz - J.z);
                if (!(d < best)) continue;
                best = d;
            }
            SetPosition(pts[h], A.x - (J.x - A.x), A.y - (J.y - A.y), A.z - (J.z - A.z));
        }
    }
    RebuildControlCaches(doc);
    DocumentChanged(doc, sw);
}

void StraightenHandles(Document& doc, const EditSwitches& sw) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr) return;
    std::vector<ControlPoint>& pts = obj->points;
    const std::vector<int32_t> listPos = ListPositions(doc.selectedHandles, obj->pointCount());

    for (const Segment& s : obj->segments) {
        const int32_t candidates[2] = {s.p1, s.p2};
        auto order = SelectedInListOrder(listPos, candidates);
        if (order.size() == 2 && s.p1 == s.p2) order.pop_back();
        for (const auto& entry : order) {
            const int32_t h = candidates[entry.second];
            const ControlPoint p0 = pts[s.p0];
            const ControlPoint p3 = pts[s.p3];
            if (h == s.p1) {
                SetPosition(pts[h], p0.x + (p3.x - p0.x) / 3, p0.y + (p3.y - p0.y) / 3,
                            p0.z + (p3.z - p0.z) / 3);
            }
            if (h == s.p2) {
                SetPosition(pts[h], p3.x - (p3.x - p0.x) / 3, p3.y - (p3.y - p0.y) / 3,
                            p3.z - (p3.z - p0.z) / 3);
            }
        }
    }

    // Interior point (row, col) follows the straightened edge handles: along its row when the
    // edge handle above or below it (U) is selected, along its column when the one beside it (V)
    // is; with both or neither it stays.
    for (const Patch& q : obj->patches) {
        const Segment& e0 = obj->segments[q.edge0];
        const Segment& e1 = obj->segments[q.edge1];
        const Segment& e2 = obj->segments[q.edge2];
        const Segment& e3 = obj->segments[q.edge3];
        const int32_t inner[4] = {q.inner11, q.inner12, q.inner21, q.inner22};
        for (const auto& entry : SelectedInListOrder(listPos, inner)) {
            const int row = entry.second / 2 + 1;
            const int col = entry.second % 2 + 1;
            const int32_t u = row == 1 ? (col == 1 ? e0.p1 : e0.p2) : (col == 1 ? e1.p1 : e1.p2);
            const int32_t v = col == 1 ? (row == 1 ? e2.p1 : e2.p2) : (row == 1 ? e3.p1 : e3.p2);
            const bool uSelected = listPos[u] >= 0;
            const bool vSelected = listPos[v] >= 0;
            if (uSelected == vSelected) continue;
            int32_t from, to;
            float f;
            if (uSelected) {
                from = row == 1 ? e2.p1 : e2.p2;
                to = row == 1 ? e3.p1 : e3.p2;
                f = col / 3.0f;
            } else {
                from = col == 1 ? e0.p1 : e0.p2;
                to = col == 1 ? e1.p1 : e1.p2;
                f = row / 3.0f;
            }
            const ControlPoint a = pts[from];
            const ControlPoint b = pts[to];
            SetPosition(pts[inner[entry.second]], a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f,
                        a.z + (b.z - a.z) * f);
        }
    }
    RebuildControlCaches(doc);
    DocumentChanged(doc, sw);
}

}  // namespace zarni
