// Consistency checks of objects and documents.
#include "model/invariants.h"

#include <string>
#include <vector>

namespace zarni {

namespace {

bool Fail(std::string* why, const std::string& text) {
    if (why) *why = text;
    return false;
}

bool InRange(int32_t index, int32_t count) {
    return index >= 0 && index < count;
}

// Entries inside [0, count) and no entry twice.
bool SelectionListValid(const std::vector<int32_t>& list, int32_t count, const char* what,
                        std::string* why) {
    std::vector<bool> seen(static_cast<size_t>(count), false);
    for (size_t k = 0; k < list.size(); ++k) {
        const int32_t i = list[k];
        if (!InRange(i, count)) {
            return Fail(why, std::string(what) + " entry " + std::to_string(k) + " is point " +
                                 std::to_string(i) + ", outside the object's " +
                                 std::to_string(count) + " points");
        }
        if (seen[i]) {
            return Fail(why, std::string(what) + " lists point " + std::to_string(i) + " twice");
        }
        seen[i] = true;
    }
    return true;
}

}  // namespace

bool ObjectIndicesValid(const PatchObject& obj, std::string* why) {
    const int32_t np = obj.pointCount();
    const int32_t ns = obj.segmentCount();
    for (int32_t i = 0; i < np; ++i) {
        const int32_t a = obj.points[i].anchor;
        if (a >= np) {
            return Fail(why, "point " + std::to_string(i) + " names anchor " + std::to_string(a) +
                                 " of " + std::to_string(np) + " points");
        }
    }
    for (int32_t i = 0; i < ns; ++i) {
        const Segment& s = obj.segments[i];
        for (int32_t p : {s.p0, s.p1, s.p2, s.p3}) {
            if (!InRange(p, np)) {
                return Fail(why, "segment " + std::to_string(i) + " uses point " +
                                     std::to_string(p) + " of " + std::to_string(np) + " points");
            }
        }
    }
    for (int32_t i = 0; i < obj.patchCount(); ++i) {
        const Patch& q = obj.patches[i];
        for (int32_t e : {q.edge0, q.edge1, q.edge2, q.edge3}) {
            if (!InRange(e, ns)) {
                return Fail(why, "patch " + std::to_string(i) + " uses segment " +
                                     std::to_string(e) + " of " + std::to_string(ns) + " segments");
            }
        }
        for (int32_t p : {q.inner11, q.inner12, q.inner21, q.inner22}) {
            if (!InRange(p, np)) {
                return Fail(why, "patch " + std::to_string(i) + " uses point " + std::to_string(p) +
                                     " of " + std::to_string(np) + " points");
            }
        }
    }
    return true;
}

bool DocumentInvariantsHold(const Document& doc, std::string* why) {
    const int32_t n = doc.objectCount();
    if (n < 1) return Fail(why, "the document has no object");
    for (int32_t k = 0; k < n; ++k) {
        const PatchObject& obj = doc.objects[k];
        std::string inner;
        if (!ObjectIndicesValid(obj, &inner)) {
            return Fail(why, "object " + std::to_string(k) + ": " + inner);
        }
        if (obj.segmentCache.size() != obj.segments.size() * 12 ||
            obj.patchCache.size() != obj.patches.size() * 48) {
            return Fail(why, "object " + std::to_string(k) + ": caches not sized to the counts");
        }
        if (obj.name.size() > kMaxNameBytes) {
            return Fail(why, "object " + std::to_string(k) + ": name longer than 255 bytes");
        }
    }
    // The deactivated form -(i+1) still remembers object i, whose points the selection names.
    const int32_t remembered = doc.currentObject >= 0 ? doc.currentObject : -doc.currentObject - 1;
    if (!InRange(remembered, n)) {
        return Fail(why, "current object " + std::to_string(doc.currentObject) + " outside " +
                             std::to_string(n) + " objects");
    }
    const int32_t np = doc.objects[remembered].pointCount();
    if (doc.activePoint != -1 && !InRange(doc.activePoint, np)) {
        return Fail(why, "active point " + std::to_string(doc.activePoint) + " outside " +
                             std::to_string(np) + " points");
    }
    return SelectionListValid(doc.selectedAnchors, np, "selected anchors", why) &&
           SelectionListValid(doc.selectedHandles, np, "selected handles", why);
}

}  // namespace zarni
