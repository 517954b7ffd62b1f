// The lathe: turned copies, circular side arcs and patches, step by step, and the seam weld.
#include "ops/lathe.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <queue>
#include <unordered_map>
#include <vector>

#include "ops/clipboard.h"
#include "ops/point_sets.h"
#include "ops/primitives.h"
#include "ops/sweep.h"

namespace zarni {

namespace {

constexpr double kPi = 3.14159265358979323846;

bool AxisValid(uint8_t axis) {
    return axis >= 1 && axis <= 3;
}

// One step's rotation by -2*pi/divisions and the arc tangent, all in single precision as the
// lathe always computed them: only the angle itself is taken in double.
struct Turn {
    int32_t axis;
    float cs;
    float sn;
    float k;  // arc handle factor

    explicit Turn(const LatheSettings& settings) : axis(settings.axis) {
        const int32_t div = LatheDivisions(settings.divLevel);
        const double angle = 2.0 * kPi / div;
        cs = static_cast<float>(std::cos(angle));
        sn = static_cast<float>(std::sin(angle));
        k = ArcHandleFactor[div];
    }

    void Rotate(ControlPoint& p) const {
        const float x = p.x, y = p.y, z = p.z;
        switch (axis) {
            case 1:
                p.y = cs * y + sn * z;
                p.z = -sn * y + cs * z;
                break;
            case 2:
                p.x = cs * x - sn * z;
                p.z = sn * x + cs * z;
                break;
            default:
                p.x = cs * x + sn * y;
                p.y = -sn * x + cs * y;
                break;
        }
    }

    // p moved by `sign` arc handles along its path about the axis.
    void AlongArc(ControlPoint& p, float sign) const {
        float tx = 0, ty = 0, tz = 0;
        switch (axis) {
            case 1:
                ty = p.z;
                tz = -p.y;
                break;
            case 2:
                tx = -p.z;
                tz = p.x;
                break;
            default:
                tx = p.y;
                ty = -p.x;
                break;
        }
        const float f = sign * k;
        p.x = p.x + f * tx;
        p.y = p.y + f * ty;
        p.z = p.z + f * tz;
    }
};

// The seam test: the L1 distance of the single-precision positions, summed wider and rounded
// to single precision, under a thousandth.
bool Coincident(const ControlPoint& a, const ControlPoint& b) {
    const float d = static_cast<float>(static_cast<double>(std::fabs(a.x - b.x)) +
                                       static_cast<double>(std::fabs(a.y - b.y)) +
                                       static_cast<double>(std::fabs(a.z - b.z)));
    return d < 0.001;
}

// Points bucketed in cubes of 1/512 unit, so that two points less than 0.001 apart on every
// axis lie in the same or neighbouring cubes. Cube coordinates wrap at 2^21 per axis: far
// points may share a bucket, which only costs an extra exact test.
class SeamGrid {
  public:
    explicit SeamGrid(const std::vector<ControlPoint>& pts) {
        std::vector<std::pair<uint64_t, int32_t>> entries;
        entries.reserve(pts.size());
        for (size_t i = 0; i < pts.size(); ++i) {
            int64_t c[3];
            if (Cell(pts[i], c)) entries.emplace_back(Key(c[0], c[1], c[2]), i);
        }
        std::sort(entries.begin(), entries.end());
        indices_.reserve(entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            if (i == 0 || entries[i].first != entries[i - 1].first) {
                ranges_[entries[i].first] = {static_cast<int32_t>(i), static_cast<int32_t>(i)};
            }
            ++ranges_[entries[i].first].second;
            indices_.push_back(entries[i].second);
        }
    }

    // Calls f(index) for every point in the 27 cubes around p; each cube in ascending index.
    template <class F>
    void ForNeighbours(const ControlPoint& p, F&& f) const {
        int64_t c[3];
        if (!Cell(p, c)) return;
        for (int64_t dx = -1; dx <= 1; ++dx) {
            for (int64_t dy = -1; dy <= 1; ++dy) {
                for (int64_t dz = -1; dz <= 1; ++dz) {
                    const auto found = ranges_.find(Key(c[0] + dx, c[1] + dy, c[2] + dz));
                    if (found == ranges_.end()) continue;
                    for (int32_t i = found->second.first; i < found->second.second; ++i) {
                        f(indices_[i]);
                    }
                }
            }
        }
    }

  private:
    // False for a point that can never be coincident with anything (not finite).
    static bool Cell(const ControlPoint& p, int64_t c[3]) {
        const float v[3] = {p.x, p.y, p.z};
        for (int i = 0; i < 3; ++i) {
            if (!std::isfinite(v[i])) return false;
            const double scaled = std::floor(static_cast<double>(v[i]) * 512.0);
            c[i] = static_cast<int64_t>(std::clamp(scaled, -1e18, 1e18));
        }
        return true;
    }
    static uint64_t Key(int64_t x, int64_t y, int64_t z) {
        constexpr uint64_t mask = (uint64_t{1} << 21) - 1;
        return ((static_cast<uint64_t>(x) & mask) << 42) |
               ((static_cast<uint64_t>(y) & mask) << 21) | (static_cast<uint64_t>(z) & mask);
    }

    std::unordered_map<uint64_t, std::pair<int32_t, int32_t>> ranges_;
    std::vector<int32_t> indices_;
};

struct SegmentKey {
    int32_t p[4];
    bool operator==(const SegmentKey& o) const {
        return p[0] == o.p[0] && p[1] == o.p[1] && p[2] == o.p[2] && p[3] == o.p[3];
    }
};

struct SegmentKeyHash {
    size_t operator()(const SegmentKey& k) const {
        uint64_t h = 0x9E3779B97F4A7C15ull;
        for (int32_t v : k.p) {
            h ^= static_cast<uint32_t>(v);
            h *= 0xBF58476D1CE4E5B9ull;
            h ^= h >> 31;
        }
        return static_cast<size_t>(h);
    }
};

// The segments of an object grouped by their four points, each group in ascending index, with
// the groups that hold copies listed: what one duplicate-fold pass acts on.
class SegmentGroups {
  public:
    explicit SegmentGroups(const std::vector<Segment>& segments)
        : keys_(segments.size()), groupOf_(segments.size()) {
        groupIds_.reserve(segments.size());
        for (size_t s = 0; s < segments.size(); ++s) {
            const Segment& seg = segments[s];
            keys_[s] = SegmentKey{{seg.p0, seg.p1, seg.p2, seg.p3}};
            const int32_t g = GroupFor(keys_[s]);
            members_[g].push_back(static_cast<int32_t>(s));
            groupOf_[s] = g;
        }
        for (size_t g = 0; g < members_.size(); ++g)
            ListIfCopies(static_cast<int32_t>(g));
    }

    const SegmentKey& Key(int32_t s) const { return keys_[s]; }

    // Segment s now reads `key` (it used to read another).
    void Rekey(int32_t s, const SegmentKey& key) {
        std::vector<int32_t>& old = members_[groupOf_[s]];
        old.erase(std::lower_bound(old.begin(), old.end(), s));
        keys_[s] = key;
        const int32_t g = GroupFor(key);
        std::vector<int32_t>& now = members_[g];
        now.insert(std::lower_bound(now.begin(), now.end(), s), s);
        groupOf_[s] = g;
        ListIfCopies(g);
    }

    // One fold pass: in each group the 2nd, 4th... copy folds into the copy before it.
    // fold(removed, kept) is called for each.
    template <class F>
    void FoldPass(F&& fold) {
        std::vector<int32_t> still;
        for (int32_t g : listed_) {
            std::vector<int32_t>& m = members_[g];
            size_t w = 0;
            for (size_t i = 0; i < m.size(); ++i) {
                if (i % 2 == 1) {
                    fold(m[i], m[i - 1]);
                } else {
                    m[w++] = m[i];
                }
            }
            m.resize(w);
            if (m.size() >= 2) {
                still.push_back(g);
            } else {
                isListed_[g] = 0;
            }
        }
        listed_.swap(still);
    }

  private:
    int32_t GroupFor(const SegmentKey& key) {
        const auto inserted = groupIds_.emplace(key, static_cast<int32_t>(members_.size()));
        if (inserted.second) {
            members_.emplace_back();
            isListed_.push_back(0);
        }
        return inserted.first->second;
    }
    void ListIfCopies(int32_t g) {
        if (members_[g].size() >= 2 && !isListed_[g]) {
            isListed_[g] = 1;
            listed_.push_back(g);
        }
    }

    std::vector<SegmentKey> keys_;
    std::vector<int32_t> groupOf_;
    std::unordered_map<SegmentKey, int32_t, SegmentKeyHash> groupIds_;
    std::vector<std::vector<int32_t>> members_;
    std::vector<uint8_t> isListed_;
    std::vector<int32_t> listed_;
};

// A selection list as MergePoints leaves the list of the kind that was not kept: the merged
// point reads as the kept one and a point listed twice is listed once; the first such pass
// also drops entries outside the object.
class SeamSelection {
  public:
    SeamSelection(std::vector<int32_t> list, int32_t n) : list_(std::move(list)), in_(n, 0) {
        for (int32_t v : list_) {
            if (v >= 0 && v < n) in_[v] = 1;
        }
    }

    void Renumber(int32_t a, int32_t kept) {
        if (!clean_) {
            const int32_t n = static_cast<int32_t>(in_.size());
            std::vector<uint8_t> seen(in_.size(), 0);
            size_t w = 0;
            for (int32_t v : list_) {
                if (v < 0 || v >= n || seen[v]) continue;
                seen[v] = 1;
                list_[w++] = v;
            }
            list_.resize(w);
            clean_ = true;
        }
        if (!in_[a]) return;
        size_t w = 0;
        bool keptSeen = false;
        for (int32_t v : list_) {
            if (v == a) v = kept;
            if (v == kept) {
                if (keptSeen) continue;
                keptSeen = true;
            }
            list_[w++] = v;
        }
        list_.resize(w);
        in_[a] = 0;
        in_[kept] = 1;
    }

    void Assign(int32_t kept) {
        for (int32_t v : list_) {
            if (v >= 0 && v < static_cast<int32_t>(in_.size())) in_[v] = 0;
        }
        list_.assign(1, kept);
        in_[kept] = 1;
        clean_ = true;
    }

    const std::vector<int32_t>& List() const { return list_; }

  private:
    std::vector<int32_t> list_;
    std::vector<uint8_t> in_;
    bool clean_ = false;
};

}  // namespace

int32_t LatheDivisions(uint8_t divLevel) {
    return std::clamp<int32_t>(divLevel, 3, static_cast<int32_t>(ArcHandleFactor.size()) - 1);
}

void LatheStep(Document& doc, const LatheSettings& settings) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr || !AxisValid(settings.axis)) return;
    const Turn turn(settings);
    SweepSelectedCurves(
        *obj, doc.selectedAnchors,
        [&turn](ControlPoint c) {
            turn.Rotate(c);
            return c;
        },
        [&turn](const ControlPoint& end, float sign) {
            ControlPoint h;
            h.x = end.x;
            h.y = end.y;
            h.z = end.z;
            turn.AlongArc(h, sign);
            return h;
        },
        // The first row turns on from the curve's handle, the second back from its copy.
        [&turn](const ControlPoint& handle, const ControlPoint& handleCopy, int row) {
            ControlPoint p = row == 1 ? handle : handleCopy;
            p.layer = 0;
            turn.AlongArc(p, row == 1 ? 1.0f : -1.0f);
            return p;
        });
}

// The literal weld scans every new point against every older one and starts again after each
// merge. Since the older points never move or renumber, and MergePoints refuses without
// changing anything, that scan always merges the lowest pair (new a, old b) that is coincident
// and that MergePoints accepts at that moment. Whether it accepts changes only for handles
// whose anchor has just been merged, and only from refused to accepted. So each new point
// keeps its lowest acceptable old partner, a heap hands out the lowest new point that has one,
// and a merge re-examines only the points its merged point owned. The merges themselves are
// replayed on ids that do not move (removed points, folded segments and both selection lists
// included) and the object is renumbered once at the end.
void WeldLatheSeam(Document& doc, const EditSwitches& sw, int32_t start) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr) return;
    std::vector<ControlPoint>& pts = obj->points;
    const int32_t n = obj->pointCount();
    if (start <= 0 || start >= n) return;

    std::vector<int32_t> into(n, -1);  // for a merged point, the older point it merged into
    auto ownerNow = [&](int32_t i) {
        const int32_t o = pts[i].anchor;
        return (o >= 0 && o < n && into[o] >= 0) ? into[o] : o;
    };
    auto accepts = [&](int32_t a, int32_t b) {
        const bool anchorA = pts[a].anchor < 0;
        if (anchorA != (pts[b].anchor < 0)) return false;
        return anchorA || ownerNow(a) == ownerNow(b);
    };

    const SeamGrid grid(pts);
    std::vector<int32_t> best(n, -1);
    auto bestFor = [&](int32_t a) {
        int32_t found = -1;
        grid.ForNeighbours(pts[a], [&](int32_t b) {
            if (b >= start || (found >= 0 && b >= found)) return;
            if (accepts(a, b) && Coincident(pts[a], pts[b])) found = b;
        });
        return found;
    };
    std::priority_queue<int32_t, std::vector<int32_t>, std::greater<int32_t>> ready;
    auto examine = [&](int32_t a) {
        if (into[a] >= 0) return;
        best[a] = bestFor(a);
        if (best[a] >= 0) ready.push(a);
    };
    for (int32_t a = start; a < n; ++a)
        examine(a);
    if (ready.empty()) return;

    const OwnedPoints owned(pts);
    // The segments that use each new point, which a merge of that point rewrites.
    std::vector<int32_t> usesStart(static_cast<size_t>(n - start) + 1, 0);
    std::vector<int32_t> uses;
    const std::vector<Segment>& segs = obj->segments;
    const int32_t segmentCount = obj->segmentCount();
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<int32_t> fill(usesStart.begin(), usesStart.end() - 1);
        for (int32_t s = 0; s < segmentCount; ++s) {
            const int32_t p[4] = {segs[s].p0, segs[s].p1, segs[s].p2, segs[s].p3};
            for (int j = 0; j < 4; ++j) {
                if (p[j] < start || p[j] >= n) continue;
                if ((j > 0 && p[j] == p[0]) || (j > 1 && p[j] == p[1]) || (j > 2 && p[j] == p[2])) {
                    continue;
                }
                if (pass == 0) {
                    ++usesStart[p[j] - start + 1];
                } else {
                    uses[fill[p[j] - start]++] = s;
                }
            }
        }
        if (pass == 0) {
            for (size_t i = 1; i < usesStart.size(); ++i)
                usesStart[i] += usesStart[i - 1];
            uses.resize(usesStart.back());
        }
    }

    SegmentGroups groups(segs);
    std::vector<int32_t> folded(segmentCount, -1);  // for a folded segment, the copy it folded into
    SeamSelection anchors(doc.selectedAnchors, n);
    SeamSelection handles(doc.selectedHandles, n);
    int32_t lastKept = -1;

    while (!ready.empty()) {
        const int32_t a = ready.top();
        ready.pop();
        if (into[a] >= 0 || best[a] < 0) continue;
        const int32_t b = best[a];
        into[a] = b;
        lastKept = b;

        for (int32_t u = usesStart[a - start]; u < usesStart[a - start + 1]; ++u) {
            const int32_t s = uses[u];
            if (folded[s] >= 0) continue;
            SegmentKey key = groups.Key(s);
            for (int32_t& p : key.p) {
                if (p == a) p = b;
            }
            groups.Rekey(s, key);
        }
        groups.FoldPass([&folded](int32_t removed, int32_t kept) { folded[removed] = kept; });

        if (pts[b].anchor < 0) {
            anchors.Assign(b);
            handles.Renumber(a, b);
        } else {
            handles.Assign(b);
            anchors.Renumber(a, b);
        }

        for (const int32_t* p = owned.begin(a); p != owned.end(a); ++p) {
            if (*p >= start) {
                examine(*p);
            } else {
                // An older point owned by a new one: its partners may accept it now.
                grid.ForNeighbours(pts[*p], [&](int32_t x) {
                    if (x >= start) examine(x);
                });
            }
        }
    }

    // Renumber once: surviving points and segments keep their order.
    std::vector<int32_t> pointIndex(n);
    int32_t kept = 0;
    for (int32_t i = 0; i < n; ++i) {
        if (into[i] < 0) pointIndex[i] = kept++;
    }
    for (int32_t i = 0; i < n; ++i) {
        if (into[i] >= 0) pointIndex[i] = pointIndex[into[i]];
    }
    auto renumber = [&](int32_t& v) {
        if (v >= 0 && v < n) v = pointIndex[v];
    };
    kept = 0;
    for (int32_t i = 0; i < n; ++i) {
        if (into[i] >= 0) continue;
        ControlPoint p = pts[i];
        if (p.anchor >= 0) renumber(p.anchor);
        pts[kept++] = p;
    }
    pts.resize(kept);

    std::vector<int32_t> segmentIndex(segmentCount);
    std::vector<Segment>& segments = obj->segments;
    kept = 0;
    for (int32_t s = 0; s < segmentCount; ++s) {
        if (folded[s] >= 0) continue;
        Segment seg = segments[s];
        renumber(seg.p0);
        renumber(seg.p1);
        renumber(seg.p2);
        renumber(seg.p3);
        segmentIndex[s] = kept;
        segments[kept++] = seg;
    }
    segments.resize(kept);
    // A fold chain always ends at an earlier segment, which is numbered by then.
    for (int32_t s = 0; s < segmentCount; ++s) {
        if (folded[s] >= 0) segmentIndex[s] = segmentIndex[folded[s]];
    }
    for (Patch& q : obj->patches) {
        for (int32_t* e : {&q.edge0, &q.edge1, &q.edge2, &q.edge3}) {
            if (*e >= 0 && *e < segmentCount) *e = segmentIndex[*e];
        }
        renumber(q.inner11);
        renumber(q.inner12);
        renumber(q.inner21);
        renumber(q.inner22);
    }

    doc.selectedAnchors = anchors.List();
    doc.selectedHandles = handles.List();
    for (int32_t& v : doc.selectedAnchors)
        renumber(v);
    for (int32_t& v : doc.selectedHandles)
        renumber(v);
    doc.activePoint = pointIndex[lastKept];
    RebuildControlCaches(doc);
    DocumentChanged(doc, sw);
}

void LatheParts(Document& doc, const LatheSettings& settings) {
    if (doc.Current() == nullptr || !AxisValid(settings.axis)) return;
    for (int32_t i = 0; i < settings.partsCount; ++i) {
        const int32_t m = doc.Current()->pointCount();
        LatheStep(doc, settings);
        SelectNewAnchors(doc, m);
        RebuildControlCaches(doc);
    }
}

void LatheFull(Document& doc, const EditSwitches& sw, const LatheSettings& settings) {
    if (doc.Current() == nullptr || !AxisValid(settings.axis)) return;
    const int32_t start = doc.Current()->pointCount();
    const int32_t div = LatheDivisions(settings.divLevel);
    for (int32_t i = 0; i < div; ++i) {
        const int32_t m = doc.Current()->pointCount();
        LatheStep(doc, settings);
        SelectNewAnchors(doc, m);
        RebuildControlCaches(doc);
    }
    WeldLatheSeam(doc, sw, start);
    if (!doc.selectedAnchors.empty()) doc.activePoint = doc.selectedAnchors.back();
}

void LatheSelection(Document& doc, const EditSwitches& sw, const LatheSettings& settings) {
    if (doc.Current() == nullptr || doc.selectedAnchors.empty()) return;
    if (settings.type == kLatheClose) {
        LatheFull(doc, sw, settings);
    } else if (settings.type == kLatheParts) {
        LatheParts(doc, settings);
    }
    RebuildControlCaches(doc);
    DocumentChanged(doc, sw);
}

}  // namespace zarni
