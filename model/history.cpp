// The undo history: states that share unchanged objects, recorded by comparing the document
// with the last state, restored by moving the untouched objects and copying the others back.
#include "model/history.h"

#include <algorithm>
#include <unordered_map>

namespace zarni {

namespace {

bool SameVec(const Vec3& a, const Vec3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// What the document file keeps of a slot: its name and placement, not the pixels.
bool SameStoredSlot(const BackPictureSlot& a, const BackPictureSlot& b) {
    return a.fileName == b.fileName && SameVec(a.scale, b.scale) &&
           SameVec(a.rotation, b.rotation) && SameVec(a.position, b.position);
}

bool SameSlot(const BackPictureSlot& a, const BackPictureSlot& b) {
    return SameStoredSlot(a, b) && a.picture == b.picture;
}

// The plain fields: what a rename, a colour or the symmetry dialog changes.
bool SameSettings(const PatchObject& a, const PatchObject& b) {
    return a.name == b.name && a.color == b.color && a.mirrorFlags == b.mirrorFlags &&
           a.windmillCount == b.windmillCount && a.windmillAxis == b.windmillAxis &&
           a.moveX == b.moveX && a.moveY == b.moveY && a.moveZ == b.moveZ;
}

// The object without its caches (rebuilt when it comes back) and with clean marks.
std::shared_ptr<const PatchObject> Stripped(const PatchObject& obj) {
    auto copy = std::make_shared<PatchObject>();
    copy->name = obj.name;
    copy->color = obj.color;
    copy->points = obj.points;
    copy->segments = obj.segments;
    copy->patches = obj.patches;
    for (ControlPoint& p : copy->points)
        p.mark = 0;
    for (Segment& s : copy->segments)
        s.mark = 0;
    for (Patch& q : copy->patches)
        q.mark = 0;
    copy->mirrorFlags = obj.mirrorFlags;
    copy->windmillCount = obj.windmillCount;
    copy->windmillAxis = obj.windmillAxis;
    copy->moveX = obj.moveX;
    copy->moveY = obj.moveY;
    copy->moveZ = obj.moveZ;
    return copy;
}

}  // namespace

size_t ObjectBytes(const PatchObject& obj) {
    return sizeof(PatchObject) + obj.name.size() + obj.points.size() * sizeof(ControlPoint) +
           obj.segments.size() * sizeof(Segment) + obj.patches.size() * sizeof(Patch);
}

bool SameObject(const PatchObject& a, const PatchObject& b) {
    if (!SameSettings(a, b) || a.points.size() != b.points.size() ||
        a.segments.size() != b.segments.size() || a.patches.size() != b.patches.size()) {
        return false;
    }
    for (size_t i = 0; i < a.points.size(); ++i) {
        const ControlPoint &p = a.points[i], &q = b.points[i];
        if (p.x != q.x || p.y != q.y || p.z != q.z || p.anchor != q.anchor || p.layer != q.layer)
            return false;
    }
    for (size_t i = 0; i < a.segments.size(); ++i) {
        const Segment &s = a.segments[i], &t = b.segments[i];
        if (s.p0 != t.p0 || s.p1 != t.p1 || s.p2 != t.p2 || s.p3 != t.p3) return false;
    }
    for (size_t i = 0; i < a.patches.size(); ++i) {
        const Patch &p = a.patches[i], &q = b.patches[i];
        if (p.edge0 != q.edge0 || p.edge1 != q.edge1 || p.edge2 != q.edge2 || p.edge3 != q.edge3 ||
            p.inner11 != q.inner11 || p.inner12 != q.inner12 || p.inner21 != q.inner21 ||
            p.inner22 != q.inner22) {
            return false;
        }
    }
    return true;
}

History::State History::Capture(const Document& doc, const State* previous, bool* changed) const {
    State s;
    s.currentObject = doc.currentObject;
    s.activePoint = doc.activePoint;
    s.selectedAnchors = doc.selectedAnchors;
    s.selectedHandles = doc.selectedHandles;
    s.backPictures = doc.backPictures;
    s.pictureRatio = doc.pictureRatio;
    bool differs = previous == nullptr;
    if (previous) {
        differs = s.currentObject != previous->currentObject ||
                  s.activePoint != previous->activePoint ||
                  s.selectedAnchors != previous->selectedAnchors ||
                  s.selectedHandles != previous->selectedHandles ||
                  s.pictureRatio != previous->pictureRatio ||
                  doc.objects.size() != previous->objects.size();
        for (int k = 0; k < kBackSlotCount && !differs; ++k)
            differs = !SameSlot(s.backPictures[k], previous->backPictures[k]);
    }
    s.objects.reserve(doc.objects.size());
    // Objects that moved (a deletion or a merge shifts those after it) are found again among
    // the previous state's objects that kept no place.
    std::vector<char> used(previous ? previous->objects.size() : 0, 0);
    std::vector<size_t> unmatched;
    for (size_t i = 0; i < doc.objects.size(); ++i) {
        const PatchObject& obj = doc.objects[i];
        ObjectRef match;
        if (previous && i < previous->objects.size()) {
            const ObjectRef& old = previous->objects[i];
            const bool untouched =
                i < generations_.size() && obj.cacheGeneration == generations_[i] &&
                SameSettings(obj, *old) && obj.points.size() == old->points.size();
            if (untouched || SameObject(obj, *old)) {
                match = old;
                used[i] = 1;
            }
        }
        if (!match) unmatched.push_back(i);
        s.objects.push_back(match);
    }
    for (size_t i : unmatched) {
        const PatchObject& obj = doc.objects[i];
        if (previous) {
            for (size_t j = 0; j < previous->objects.size(); ++j) {
                if (!used[j] && SameObject(obj, *previous->objects[j])) {
                    s.objects[i] = previous->objects[j];
                    used[j] = 1;
                    break;
                }
            }
        }
        if (!s.objects[i]) {
            s.objects[i] = Stripped(obj);
            s.ownBytes += ObjectBytes(obj);
        }
        differs = differs || !previous || i >= previous->objects.size() ||
                  s.objects[i] != previous->objects[i];
    }
    if (previous && !differs) {
        for (size_t i = 0; i < s.objects.size(); ++i)
            differs = differs || s.objects[i] != previous->objects[i];
    }
    *changed = differs;
    return s;
}

bool History::HoldsPicture(const LoadedPicture* picture, size_t last) const {
    for (size_t i = 0; i <= last && i < states_.size(); ++i)
        for (const BackPictureSlot& slot : states_[i].backPictures)
            if (slot.picture.get() == picture) return true;
    return false;
}

size_t History::NewPictureBytes(const State& s, size_t last, bool noneKept) const {
    if (pictures_.bytes == nullptr) return 0;
    size_t bytes = 0;
    for (int k = 0; k < kBackSlotCount; ++k) {
        const LoadedPicture* p = s.backPictures[k].picture.get();
        if (p == nullptr || (!noneKept && HoldsPicture(p, last))) continue;
        bool counted = false;
        for (int j = 0; j < k && !counted; ++j)
            counted = s.backPictures[j].picture.get() == p;
        if (!counted) bytes += pictures_.bytes(*p);
    }
    return bytes;
}

void History::SharePictures(Document& doc) const {
    if (states_.empty() || pictures_.samePixels == nullptr) return;
    const State& now = states_[present_];
    for (int k = 0; k < kBackSlotCount; ++k) {
        std::shared_ptr<LoadedPicture>& p = doc.backPictures[k].picture;
        if (!p || p == now.backPictures[k].picture || HoldsPicture(p.get(), present_)) continue;
        // Another copy of pixels already held (a picture loaded again, or the same file in a
        // second slot) gives way to the held one.
        const std::shared_ptr<LoadedPicture>* same = nullptr;
        for (size_t i = 0; i <= present_ && !same; ++i)
            for (const BackPictureSlot& slot : states_[i].backPictures)
                if (slot.picture && pictures_.samePixels(*slot.picture, *p)) {
                    same = &slot.picture;
                    break;
                }
        for (int j = 0; j < k && !same; ++j)
            if (doc.backPictures[j].picture &&
                pictures_.samePixels(*doc.backPictures[j].picture, *p)) {
                same = &doc.backPictures[j].picture;
            }
        if (same) p = *same;
    }
}

bool History::DiffersFromSaved() const {
    if (saved_ < 0 || static_cast<size_t>(saved_) >= states_.size()) return true;
    const State& a = states_[static_cast<size_t>(saved_)];
    const State& b = states_[present_];
    if (&a == &b) return false;
    if (a.currentObject != b.currentObject || a.activePoint != b.activePoint ||
        a.selectedAnchors != b.selectedAnchors || a.selectedHandles != b.selectedHandles ||
        a.pictureRatio != b.pictureRatio || a.objects.size() != b.objects.size()) {
        return true;
    }
    for (int k = 0; k < kBackSlotCount; ++k)
        if (!SameStoredSlot(a.backPictures[k], b.backPictures[k])) return true;
    for (size_t i = 0; i < a.objects.size(); ++i)
        if (a.objects[i] != b.objects[i] && !SameObject(*a.objects[i], *b.objects[i])) return true;
    return false;
}

void History::Reset(const Document& doc, bool saved) {
    states_.clear();
    bytes_ = 0;
    bool changed = false;
    states_.push_back(Capture(doc, nullptr, &changed));
    states_.back().ownBytes += NewPictureBytes(states_.back(), 0, true);
    bytes_ = states_.back().ownBytes;
    present_ = 0;
    saved_ = saved ? 0 : -1;
    generations_.clear();
    for (const PatchObject& obj : doc.objects)
        generations_.push_back(obj.cacheGeneration);
}

bool History::Commit(Document& doc) {
    if (states_.empty()) {
        Reset(doc, false);
        return false;
    }
    SharePictures(doc);
    bool changed = false;
    State next = Capture(doc, &states_[present_], &changed);
    generations_.clear();
    for (const PatchObject& obj : doc.objects)
        generations_.push_back(obj.cacheGeneration);
    if (!changed) return false;
    // A new step drops what could have been redone.
    while (states_.size() > present_ + 1) {
        bytes_ -= states_.back().ownBytes;
        states_.pop_back();
    }
    if (saved_ > static_cast<std::ptrdiff_t>(present_)) saved_ = -1;
    next.ownBytes += NewPictureBytes(next, present_, false);
    bytes_ += next.ownBytes;
    states_.push_back(std::move(next));
    present_ = states_.size() - 1;
    while (bytes_ > budget_ && states_.size() > 1 && present_ > 0)
        DropOldest();
    return true;
}

void History::DropOldest() {
    // The objects only the oldest state held go with it; the next state becomes the first.
    State& first = states_.front();
    State& second = states_[1];
    std::vector<const PatchObject*> kept;
    for (const ObjectRef& o : second.objects)
        kept.push_back(o.get());
    std::sort(kept.begin(), kept.end());
    size_t freed = 0;
    for (const ObjectRef& o : first.objects) {
        if (!std::binary_search(kept.begin(), kept.end(), o.get()) && o.use_count() == 1)
            freed += ObjectBytes(*o);
    }
    // A picture no later state holds goes too (the document may still show it).
    if (pictures_.bytes != nullptr) {
        for (int k = 0; k < kBackSlotCount; ++k) {
            const LoadedPicture* p = first.backPictures[k].picture.get();
            bool seen = p == nullptr;
            for (int j = 0; j < k && !seen; ++j)
                seen = first.backPictures[j].picture.get() == p;
            for (size_t i = 1; i < states_.size() && !seen; ++i)
                for (const BackPictureSlot& slot : states_[i].backPictures)
                    seen = seen || slot.picture.get() == p;
            if (!seen) freed += pictures_.bytes(*p);
        }
    }
    // Whatever the first state held that lives on is now the second's own.
    second.ownBytes += first.ownBytes > freed ? first.ownBytes - freed : 0;
    bytes_ -= first.ownBytes;
    bytes_ += first.ownBytes > freed ? first.ownBytes - freed : 0;
    states_.erase(states_.begin());
    --present_;
    --saved_;
}

void History::SetBudget(size_t bytes) {
    budget_ = bytes;
    while (bytes_ > budget_ && states_.size() > 1 && present_ > 0)
        DropOldest();
}

void History::Restore(Document& doc, const State& target) {
    const State& now = states_[present_];
    // The document's objects equal the present state's: those the target shares are moved,
    // the others are copied back from the target.
    std::unordered_map<const PatchObject*, size_t> where;
    for (size_t j = 0; j < now.objects.size() && j < doc.objects.size(); ++j)
        where.emplace(now.objects[j].get(), j);
    std::vector<PatchObject> objects;
    objects.reserve(target.objects.size());
    for (const ObjectRef& ref : target.objects) {
        auto it = where.find(ref.get());
        if (it != where.end()) {
            objects.push_back(std::move(doc.objects[it->second]));
            where.erase(it);
        } else {
            objects.push_back(*ref);
            RebuildObjectCaches(objects.back());
        }
    }
    doc.objects = std::move(objects);
    doc.currentObject = target.currentObject;
    doc.activePoint = target.activePoint;
    doc.selectedAnchors = target.selectedAnchors;
    doc.selectedHandles = target.selectedHandles;
    doc.backPictures = target.backPictures;
    doc.pictureRatio = target.pictureRatio;
    generations_.clear();
    for (const PatchObject& obj : doc.objects)
        generations_.push_back(obj.cacheGeneration);
}

void History::Revert(Document& doc) {
    if (states_.empty()) return;
    const State& now = states_[present_];
    std::vector<PatchObject> objects;
    objects.reserve(now.objects.size());
    for (const ObjectRef& ref : now.objects) {
        objects.push_back(*ref);
        RebuildObjectCaches(objects.back());
    }
    std::vector<int32_t> anchors = now.selectedAnchors;
    std::vector<int32_t> handles = now.selectedHandles;
    std::array<BackPictureSlot, kBackSlotCount> slots = now.backPictures;
    doc.objects = std::move(objects);
    doc.currentObject = now.currentObject;
    doc.activePoint = now.activePoint;
    doc.selectedAnchors = std::move(anchors);
    doc.selectedHandles = std::move(handles);
    doc.backPictures = std::move(slots);
    doc.pictureRatio = now.pictureRatio;
    generations_.clear();
    for (const PatchObject& obj : doc.objects)
        generations_.push_back(obj.cacheGeneration);
}

bool History::Undo(Document& doc) {
    if (!CanUndo()) return false;
    Restore(doc, states_[present_ - 1]);
    --present_;
    return true;
}

bool History::Redo(Document& doc) {
    if (!CanRedo()) return false;
    Restore(doc, states_[present_ + 1]);
    ++present_;
    return true;
}

}  // namespace zarni
