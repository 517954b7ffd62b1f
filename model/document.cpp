// Whole-document operations: objects are created, deleted, joined and cleared here.
#include "model/document.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/file_io.h"

namespace zarni {

namespace {
constexpr float kHigh = 0.83921f;
constexpr float kMid = 0.59215f;
constexpr float kLow = 0.34901f;
}  // namespace

const std::array<std::array<float, 4>, 12> kDefaultObjectColors{{
    {{kHigh, kLow, kLow, 1.0f}},
    {{kHigh, kMid, kLow, 1.0f}},
    {{kHigh, kHigh, kMid, 1.0f}},
    {{kMid, kHigh, kLow, 1.0f}},
    {{kLow, kHigh, kLow, 1.0f}},
    {{kLow, kHigh, kMid, 1.0f}},
    {{kLow, kHigh, kHigh, 1.0f}},
    {{kLow, kMid, kHigh, 1.0f}},
    {{kLow, kLow, kHigh, 1.0f}},
    {{kMid, kLow, kHigh, 1.0f}},
    {{kHigh, kLow, kHigh, 1.0f}},
    {{kHigh, kLow, kMid, 1.0f}},
}};

std::array<int32_t, 16> PatchNet(const std::vector<Segment>& segments, const Patch& patch) {
    const Segment& e0 = segments[patch.edge0];
    const Segment& e1 = segments[patch.edge1];
    const Segment& e2 = segments[patch.edge2];
    const Segment& e3 = segments[patch.edge3];
    return {{e0.p0, e0.p1, e0.p2, e0.p3,                  //
             e2.p1, patch.inner11, patch.inner12, e3.p1,  //
             e2.p2, patch.inner21, patch.inner22, e3.p2,  //
             e1.p0, e1.p1, e1.p2, e1.p3}};
}

Document NewDocument() {
    Document doc;
    ResetBackPictureSlots(doc);
    CreateObject(doc);
    doc.modified = false;
    return doc;
}

void CreateObject(Document& doc) {
    PatchObject obj;
    // "%03u" of a signed serial: the serial never goes negative in practice, the cast keeps
    // the text identical to the unsigned conversion if it ever did.
    char name[32];
    std::snprintf(name, sizeof name, "OBJ_%03u", static_cast<unsigned>(doc.objectSerial + 1));
    obj.name = name;
    obj.color = kDefaultObjectColors[static_cast<unsigned>(doc.objectSerial) % 12u];
    doc.objects.push_back(std::move(obj));
    doc.currentObject = doc.objectCount() - 1;
    doc.objectSerial += 1;
    ClearPointSelection(doc);
}

void DeleteCurrentObject(Document& doc, const EditSwitches& sw) {
    if (!doc.HasActiveObject() || doc.objectCount() <= 1) return;
    doc.objects.erase(doc.objects.begin() + doc.currentObject);
    doc.currentObject = doc.currentObject > 0 ? doc.currentObject - 1 : 0;
    ClearPointSelection(doc);
    DocumentChanged(doc, sw);
}

void JoinWithPrevious(Document& doc, const EditSwitches& sw) {
    if (!doc.HasActiveObject() || doc.currentObject == 0) return;
    PatchObject& into = doc.objects[doc.currentObject - 1];
    PatchObject& from = doc.objects[doc.currentObject];
    const int32_t pointBase = into.pointCount();
    const int32_t segmentBase = into.segmentCount();

    into.points.reserve(into.points.size() + from.points.size());
    for (ControlPoint p : from.points) {
        if (p.anchor >= 0) p.anchor += pointBase;
        into.points.push_back(p);
    }
    into.segments.reserve(into.segments.size() + from.segments.size());
    for (Segment s : from.segments) {
        s.p0 += pointBase;
        s.p1 += pointBase;
        s.p2 += pointBase;
        s.p3 += pointBase;
        into.segments.push_back(s);
    }
    into.patches.reserve(into.patches.size() + from.patches.size());
    for (Patch q : from.patches) {
        q.edge0 += segmentBase;
        q.edge1 += segmentBase;
        q.edge2 += segmentBase;
        q.edge3 += segmentBase;
        q.inner11 += pointBase;
        q.inner12 += pointBase;
        q.inner21 += pointBase;
        q.inner22 += pointBase;
        into.patches.push_back(q);
    }
    DeleteCurrentObject(doc, sw);
    RebuildControlCaches(doc);
    DocumentChanged(doc, sw);
}

Document WithoutObjects(const Document& doc) {
    Document out;
    out.currentObject = doc.currentObject;
    out.objectSerial = doc.objectSerial;
    out.modified = doc.modified;
    out.backPictures = doc.backPictures;
    out.pictureRatio = doc.pictureRatio;
    out.view = doc.view;
    out.pivot = doc.pivot;
    return out;
}

void ClearDocument(Document& doc, Clipboard& clipboard) {
    doc.objects.clear();
    doc.objects.shrink_to_fit();
    doc.activePoint = -1;
    doc.selectedAnchors.clear();
    doc.selectedHandles.clear();
    for (BackPictureSlot& slot : doc.backPictures) {
        slot.picture.reset();
        slot.fileName.clear();
    }
    clipboard.Clear();
}

namespace {

// Writes one record's floats; true when they differ from what the cache held.
bool Refresh(float* cached, const float* fresh, size_t count) {
    if (std::memcmp(cached, fresh, count * sizeof(float)) == 0) return false;
    std::memcpy(cached, fresh, count * sizeof(float));
    return true;
}

}  // namespace

void SegmentFloats(const ControlPoint* pts, const Segment& s, float* out) {
    for (int32_t i : {s.p0, s.p1, s.p2, s.p3}) {
        *out++ = pts[i].x;
        *out++ = pts[i].y;
        *out++ = pts[i].z;
    }
}

void PatchFloats(const ControlPoint* pts, const std::vector<Segment>& segments, const Patch& q,
                 float* out) {
    for (int32_t i : PatchNet(segments, q)) {
        *out++ = pts[i].x;
        *out++ = pts[i].y;
        *out++ = pts[i].z;
    }
}

void RebuildObjectCaches(PatchObject& obj) {
    static std::atomic<uint64_t> lastGeneration{0};
    obj.cacheGeneration = ++lastGeneration;
    const size_t segments = obj.segments.size(), patches = obj.patches.size();
    const ControlPoint* pts = obj.points.data();
    // With the same counts each record notes when its control points last moved, so that
    // geometry evaluated from the caches can be brought up to date record by record.
    const bool tracked = obj.cacheBase != 0 && obj.segmentCache.size() == segments * 12 &&
                         obj.patchCache.size() == patches * 48 &&
                         obj.segmentChangedAt.size() == segments &&
                         obj.patchChangedAt.size() == patches;
    if (tracked) {
        float fresh[48];
        for (size_t i = 0; i < segments; ++i) {
            SegmentFloats(pts, obj.segments[i], fresh);
            if (Refresh(obj.segmentCache.data() + 12 * i, fresh, 12))
                obj.segmentChangedAt[i] = obj.cacheGeneration;
        }
        for (size_t i = 0; i < patches; ++i) {
            PatchFloats(pts, obj.segments, obj.patches[i], fresh);
            if (Refresh(obj.patchCache.data() + 48 * i, fresh, 48))
                obj.patchChangedAt[i] = obj.cacheGeneration;
        }
        return;
    }
    // Each cache is reallocated only when its size changes; a new large one gets huge pages.
    for (auto [cache, size] :
         {std::pair{&obj.segmentCache, segments * 12}, std::pair{&obj.patchCache, patches * 48}}) {
        if (cache->size() == size) continue;
        if (cache->capacity() < size) {
            std::vector<float> fresh;
            fresh.reserve(size);
            AdviseHugePages(fresh.data(), size * sizeof(float));
            *cache = std::move(fresh);
        }
        cache->resize(size);
    }
    for (size_t i = 0; i < segments; ++i)
        SegmentFloats(pts, obj.segments[i], obj.segmentCache.data() + 12 * i);
    for (size_t i = 0; i < patches; ++i)
        PatchFloats(pts, obj.segments, obj.patches[i], obj.patchCache.data() + 48 * i);
    obj.cacheBase = obj.cacheGeneration;
    obj.segmentChangedAt.assign(segments, obj.cacheGeneration);
    obj.patchChangedAt.assign(patches, obj.cacheGeneration);
}

void RebuildControlCaches(Document& doc) {
    if (PatchObject* obj = doc.Current()) RebuildObjectCaches(*obj);
}

void ClearPointSelection(Document& doc) {
    doc.activePoint = -1;
    doc.selectedAnchors.clear();
    doc.selectedHandles.clear();
}

void ResetBackPictureSlots(Document& doc) {
    for (BackPictureSlot& slot : doc.backPictures)
        slot = BackPictureSlot{};
    doc.backPictures[kBackFront].position.z = -2.0f;
    doc.backPictures[kBackBack].position.z = 2.0f;
    doc.backPictures[kBackLeft].position.x = 2.0f;
    doc.backPictures[kBackRight].position.x = -2.0f;
    doc.backPictures[kBackTop].position.y = -2.0f;
    doc.backPictures[kBackBottom].position.y = 2.0f;
}

void RecomputePivot(Document& doc, const EditSwitches& sw) {
    doc.pivot = Vec3{};
    const PatchObject* obj = doc.Current();
    if (sw.pivotMode != 1 || obj == nullptr || doc.selectedAnchors.empty()) return;
    double sx = 0.0, sy = 0.0, sz = 0.0;
    int32_t n = 0;
    for (int32_t i : doc.selectedAnchors) {
        if (i < 0 || i >= obj->pointCount()) continue;
        sx += obj->points[i].x;
        sy += obj->points[i].y;
        sz += obj->points[i].z;
        ++n;
    }
    if (n == 0) return;
    doc.pivot =
        Vec3{static_cast<float>(sx / n), static_cast<float>(sy / n), static_cast<float>(sz / n)};
}

void DocumentChanged(Document& doc, const EditSwitches& sw) {
    RecomputePivot(doc, sw);
    doc.modified = true;
}

}  // namespace zarni
