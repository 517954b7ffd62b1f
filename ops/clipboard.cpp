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

namespace {

// Copies points of the current object into the clipboard once each, remembering the copy's
// index in the source point's mark.
class PointCopier {
  public:
    PointCopier(std::vector<ControlPoint>& source, std::vector<ControlPoint>& into)
        : source_(source), into_(into) {}

    // The clipboard index of `src`, copying it on first use. A handle gets `owner` (a clipboard
    // index) as its anchor; owner -1 copies the record as it is.
    int32_t Obtain(int32_t src, int32_t owner) {
        ControlPoint& p = source_[src];
        if (p.mark != -1) return p.mark;
        ControlPoint copy = p;
        const int32_t index = static_cast<int32_t>(into_.size());
        if (owner >= 0) {
            copy.anchor = owner;
        } else if (copy.anchor >= 0) {
            ownedAsIs_.push_back({index, copy.anchor});
        }
        into_.push_back(copy);
        p.mark = index;
        return index;
    }

    // A point copied as it is, yet owned by another point (a handle sitting in the anchor
    // selection), still names its owner in the object. The clipboard must only name its own
    // points, or a paste would attach the point to whatever lands at that index: it gets its
    // owner's copy when there is one and otherwise becomes an anchor.
    void ResolveOwners() {
        const int32_t n = static_cast<int32_t>(source_.size());
        for (const auto& [index, owner] : ownedAsIs_) {
            const int32_t copy = owner < n ? source_[owner].mark : -1;
            into_[index].anchor = copy;
        }
        ownedAsIs_.clear();
    }

  private:
    std::vector<ControlPoint>& source_;
    std::vector<ControlPoint>& into_;
    std::vector<std::pair<int32_t, int32_t>> ownedAsIs_;
};

}  // namespace

void CopySelection(Document& doc, Clipboard& clipboard) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr || doc.selectedAnchors.empty()) return;
    const std::vector<uint8_t> selected = IndexBitmap(doc.selectedAnchors, obj->pointCount());
    for (ControlPoint& p : obj->points)
        p.mark = -1;
    PointCopier copier(obj->points, clipboard.points);
    const std::vector<Segment>& segs = obj->segments;

    for (const Patch& q : obj->patches) {
        const Segment e0 = segs[q.edge0];
        const Segment e1 = segs[q.edge1];
        const Segment e2 = segs[q.edge2];
        const Segment e3 = segs[q.edge3];
        if (!selected[e0.p0] || !selected[e0.p3] || !selected[e1.p0] || !selected[e1.p3]) {
            continue;
        }
        const int32_t c00 = copier.Obtain(e0.p0, -1);
        const int32_t c03 = copier.Obtain(e0.p3, -1);
        const int32_t c30 = copier.Obtain(e1.p0, -1);
        const int32_t c33 = copier.Obtain(e1.p3, -1);
        const int32_t h01 = copier.Obtain(e0.p1, c00);
        const int32_t h02 = copier.Obtain(e0.p2, c03);
        const int32_t h10 = copier.Obtain(e2.p1, c00);
        const int32_t h13 = copier.Obtain(e3.p1, c03);
        const int32_t h20 = copier.Obtain(e2.p2, c30);
        const int32_t h23 = copier.Obtain(e3.p2, c33);
        const int32_t h31 = copier.Obtain(e1.p1, c30);
        const int32_t h32 = copier.Obtain(e1.p2, c33);

        Patch copy;
        copy.edge0 = static_cast<int32_t>(clipboard.segments.size());
        copy.edge1 = copy.edge0 + 1;
        copy.edge2 = copy.edge0 + 2;
        copy.edge3 = copy.edge0 + 3;
        clipboard.segments.push_back(Segment{c00, h01, h02, c03, 0});
        clipboard.segments.push_back(Segment{c30, h31, h32, c33, 0});
        clipboard.segments.push_back(Segment{c00, h10, h20, c30, 0});
        clipboard.segments.push_back(Segment{c03, h13, h23, c33, 0});

        // Interior points are never shared between patches, so each patch gets its own.
        int32_t* inner[4] = {&copy.inner11, &copy.inner12, &copy.inner21, &copy.inner22};
        const int32_t from[4] = {q.inner11, q.inner12, q.inner21, q.inner22};
        const int32_t owner[4] = {c00, c03, c30, c33};
        for (int k = 0; k < 4; ++k) {
            const ControlPoint& src = obj->points[from[k]];
            ControlPoint p;
            p.x = src.x;
            p.y = src.y;
            p.z = src.z;
            p.anchor = owner[k];
            p.layer = 0;
            *inner[k] = static_cast<int32_t>(clipboard.points.size());
            clipboard.points.push_back(p);
        }
        clipboard.patches.push_back(copy);
    }

    // Patch edges come through here again as free segments; the paste folds them back.
    for (const Segment& s : segs) {
        if (!selected[s.p0] || !selected[s.p3]) continue;
        const int32_t k0 = copier.Obtain(s.p0, -1);
        const int32_t k3 = copier.Obtain(s.p3, -1);
        const int32_t k1 = copier.Obtain(s.p1, k0);
        const int32_t k2 = copier.Obtain(s.p2, k3);
        clipboard.segments.push_back(Segment{k0, k1, k2, k3, 0});
    }
    copier.ResolveOwners();
}

void CutSelection(Document& doc, Clipboard& clipboard, const EditSwitches& sw) {
    CopySelection(doc, clipboard);
    if (sw.handleMode == 0) DeleteSelection(doc, sw);
}

void PasteClipboard(Document& doc, const Clipboard& clipboard, const EditSwitches& sw) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr || clipboard.points.empty()) return;
    const int32_t nP = obj->pointCount();
    const int32_t nS = obj->segmentCount();
    obj->points.reserve(obj->points.size() + clipboard.points.size());
    for (ControlPoint p : clipboard.points) {
        if (p.anchor >= 0) p.anchor += nP;
        obj->points.push_back(p);
    }
    obj->segments.reserve(obj->segments.size() + clipboard.segments.size());
    for (Segment s : clipboard.segments) {
        s.p0 += nP;
        s.p1 += nP;
        s.p2 += nP;
        s.p3 += nP;
        obj->segments.push_back(s);
    }
    obj->patches.reserve(obj->patches.size() + clipboard.patches.size());
    for (Patch q : clipboard.patches) {
        q.edge0 += nS;
        q.edge1 += nS;
        q.edge2 += nS;
        q.edge3 += nS;
        q.inner11 += nP;
        q.inner12 += nP;
        q.inner21 += nP;
        q.inner22 += nP;
        obj->patches.push_back(q);
    }
    SelectNewAnchors(doc, nP);
    RemoveDuplicateSegments(doc);
    RebuildControlCaches(doc);
    DocumentChanged(doc, sw);
}

// Deleting an anchor takes the segments that end at it with their handles and the patches
// cornered at it with their interior points. Records are compacted in one pass each instead of
// being removed one at a time, which keeps the whole deletion linear.
void DeleteSelection(Document& doc, const EditSwitches& sw) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr) return;
    doc.selectedHandles.clear();
    const int32_t nP = obj->pointCount();
    const int32_t nS = obj->segmentCount();
    const std::vector<uint8_t> selected = IndexBitmap(doc.selectedAnchors, nP);
    std::vector<ControlPoint>& pts = obj->points;
    std::vector<Segment>& segs = obj->segments;
    std::vector<Patch>& patches = obj->patches;

    // mark 1: the point goes (selected anchors and the handles and interiors they take along).
    for (ControlPoint& p : pts)
        p.mark = 0;
    for (int32_t i : doc.selectedAnchors) {
        if (i >= 0 && i < nP) pts[i].mark = 1;
    }
    std::vector<uint8_t> patchGoes(patches.size(), 0);
    for (size_t k = 0; k < patches.size(); ++k) {
        const Patch& q = patches[k];
        const Segment& e0 = segs[q.edge0];
        const Segment& e1 = segs[q.edge1];
        if (selected[e0.p0] || selected[e0.p3] || selected[e1.p0] || selected[e1.p3]) {
            patchGoes[k] = 1;
            pts[q.inner11].mark = pts[q.inner12].mark = 1;
            pts[q.inner21].mark = pts[q.inner22].mark = 1;
        }
    }
    std::vector<uint8_t> segmentGoes(segs.size(), 0);
    for (int32_t i = 0; i < nS; ++i) {
        const Segment& s = segs[i];
        if (selected[s.p0] || selected[s.p3]) {
            segmentGoes[i] = 1;
            pts[s.p1].mark = pts[s.p2].mark = 1;
        }
    }
    // A record that survives yet still uses a point that goes (a handle shared with a removed
    // segment, a selected anchor used as a handle, a patch whose edge went) would be left naming
    // a missing point or segment; it goes too, and takes no further points with it.
    for (int32_t i = 0; i < nS; ++i) {
        const Segment& s = segs[i];
        if (!segmentGoes[i] &&
            (pts[s.p0].mark | pts[s.p1].mark | pts[s.p2].mark | pts[s.p3].mark)) {
            segmentGoes[i] = 1;
        }
    }
    for (size_t k = 0; k < patches.size(); ++k) {
        const Patch& q = patches[k];
        if (!patchGoes[k] && (segmentGoes[q.edge0] | segmentGoes[q.edge1] | segmentGoes[q.edge2] |
                              segmentGoes[q.edge3] | pts[q.inner11].mark | pts[q.inner12].mark |
                              pts[q.inner21].mark | pts[q.inner22].mark)) {
            patchGoes[k] = 1;
        }
    }

    std::vector<int32_t> newPoint(static_cast<size_t>(nP), -1);
    int32_t keptPoints = 0;
    for (int32_t i = 0; i < nP; ++i) {
        if (pts[i].mark == 0) newPoint[i] = keptPoints++;
    }
    std::vector<int32_t> newSegment(static_cast<size_t>(nS), -1);
    int32_t keptSegments = 0;
    for (int32_t i = 0; i < nS; ++i) {
        if (segmentGoes[i]) continue;
        Segment s = segs[i];
        s.p0 = newPoint[s.p0];
        s.p1 = newPoint[s.p1];
        s.p2 = newPoint[s.p2];
        s.p3 = newPoint[s.p3];
        newSegment[i] = keptSegments;
        segs[keptSegments++] = s;
    }
    segs.resize(keptSegments);
    size_t keptPatches = 0;
    for (size_t k = 0; k < patches.size(); ++k) {
        if (patchGoes[k]) continue;
        Patch q = patches[k];
        q.edge0 = newSegment[q.edge0];
        q.edge1 = newSegment[q.edge1];
        q.edge2 = newSegment[q.edge2];
        q.edge3 = newSegment[q.edge3];
        q.inner11 = newPoint[q.inner11];
        q.inner12 = newPoint[q.inner12];
        q.inner21 = newPoint[q.inner21];
        q.inner22 = newPoint[q.inner22];
        patches[keptPatches++] = q;
    }
    patches.resize(keptPatches);
    for (int32_t i = 0; i < nP; ++i) {
        if (pts[i].mark != 0) continue;
        ControlPoint p = pts[i];
        // A point whose owner went stays as a free anchor rather than naming a missing point.
        if (p.anchor >= 0) p.anchor = p.anchor < nP ? newPoint[p.anchor] : -1;
        pts[newPoint[i]] = p;
    }
    pts.resize(keptPoints);

    doc.selectedAnchors.clear();
    doc.activePoint = -1;
    RebuildControlCaches(doc);
    DocumentChanged(doc, sw);
}

}  // namespace zarni
