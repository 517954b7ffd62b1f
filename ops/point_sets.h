// Linear-time lookups that the modelling operations share: list membership and owned points.
#pragma once

#include <cstdint>
#include <vector>

#include "model/document.h"

namespace zarni {

// One byte per point, 1 where the point is in `list`. Entries outside [0, count) are ignored so
// that a stale list can never index past the bitmap.
inline std::vector<uint8_t> IndexBitmap(const std::vector<int32_t>& list, int32_t count) {
    std::vector<uint8_t> bits(static_cast<size_t>(count > 0 ? count : 0), 0);
    for (int32_t i : list) {
        if (i >= 0 && i < count) bits[i] = 1;
    }
    return bits;
}

// The points owned by each anchor (handles and patch interior points), each group in ascending
// index order. Walking a group replaces a scan of the whole object per selected anchor.
class OwnedPoints {
  public:
    explicit OwnedPoints(const std::vector<ControlPoint>& points) {
        const int32_t n = static_cast<int32_t>(points.size());
        start_.assign(static_cast<size_t>(n) + 1, 0);
        for (const ControlPoint& p : points) {
            if (p.anchor >= 0 && p.anchor < n) ++start_[p.anchor + 1];
        }
        for (int32_t i = 0; i < n; ++i)
            start_[i + 1] += start_[i];
        items_.resize(start_[n]);
        std::vector<int32_t> fill(start_.begin(), start_.end() - 1);
        for (int32_t i = 0; i < n; ++i) {
            const int32_t a = points[i].anchor;
            if (a >= 0 && a < n) items_[fill[a]++] = i;
        }
    }
    const int32_t* begin(int32_t anchor) const { return items_.data() + start_[Clamp(anchor)]; }
    const int32_t* end(int32_t anchor) const {
        const int32_t a = Clamp(anchor);
        return items_.data() + (a == anchor ? start_[a + 1] : start_[a]);
    }
    int32_t count(int32_t anchor) const {
        return static_cast<int32_t>(end(anchor) - begin(anchor));
    }

  private:
    // An index outside the object owns nothing.
    int32_t Clamp(int32_t anchor) const {
        const int32_t n = static_cast<int32_t>(start_.size()) - 1;
        return anchor < 0 ? 0 : (anchor >= n ? n : anchor);
    }
    std::vector<int32_t> start_;
    std::vector<int32_t> items_;
};

}  // namespace zarni
