// The program's own clipboard, deletion of the selection, and the two steps the modelling
// operations share: selecting the anchors they made and folding duplicate segments.
#include "ops/clipboard.h"

#include <algorithm>
#include <numeric>
#include <tuple>

#include "ops/point_sets.h"

namespace zarni {

void SelectNewAnchors(Document& doc, int32_t start) {
    const PatchObject* obj = doc.Current();
    if (obj == nullptr) return;
    doc.selectedAnchors.clear();
    for (int32_t i = std::max(start, 0); i < obj->pointCount(); ++i) {
        if (obj->points[i].anchor < 0) doc.selectedAnchors.push_back(i);
    }
    if (!doc.selectedAnchors.empty()) doc.activePoint = doc.selectedAnchors.back();
}

// The one-pass fold, without its quadratic search. Walking the segments in order, segment i
// removes the first later copy of itself; a copy that was removed is never visited, so the next
// surviving copy removes the one after it. Among the copies of one segment in index order, the
// 1st, 3rd, 5th... therefore stay and each 2nd, 4th... folds into the copy just before it: a
// triple is left twice. Grouping equal segments by sorting yields exactly that pairing.
void RemoveDuplicateSegments(Document& doc) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr) return;
    std::vector<Segment>& segs = obj->segments;
    const int32_t n = obj->segmentCount();
    if (n < 2) return;

    std::vector<int32_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    auto key = [&segs](int32_t i) {
        const Segment& s = segs[i];
        return std::make_tuple(s.p0, s.p1, s.p2, s.p3);
    };
    std::sort(order.begin(), order.end(), [&](int32_t l, int32_t r) {
        const auto kl = key(l);
        const auto kr = key(r);
        return kl != kr ? kl < kr : l < r;
    });

    // keeper[i] is the segment that i folds into, or i itself when it stays.
    std::vector<int32_t> keeper(n);
    std::iota(keeper.begin(), keeper.end(), 0);
    bool any = false;
    for (int32_t k = 1; k < n; ++k) {
        const int32_t prev = order[k - 1];
        const int32_t cur = order[k];
        if (key(prev) == key(cur) && keeper[prev] == prev) {
            // prev stays and has no partner yet: cur is the copy it removes.
            keeper[cur] = prev;
            any = true;
        }
    }
    if (!any) return;

    std::vector<int32_t> newIndex(n);
    int32_t kept = 0;
    for (int32_t i = 0; i < n; ++i) {
        if (keeper[i] == i) {
            newIndex[i] = kept;
            segs[kept++] = segs[i];
        } else {
            newIndex[i] = newIndex[keeper[i]];  // the keeper comes first, so it is numbered
        }
    }
    segs.resize(kept);
    for (Patch& q : obj->patches) {
        for (int32_t* e : {&q.edge0, &q.edge1, &q.edge2, &q.edge3}) {
            if (*e >= 0 && *e < n) *e = newIndex[*e];
        }
    }
}

}  // namespace zarni
