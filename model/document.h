// The document: objects of control points, curve segments and patches, the selection, the
// background-picture slots and the saved view settings, with the whole-document operations.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zarni {

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// A point of an object. `anchor` < 0 marks an anchor point (a curve end); otherwise it is the
// index of the anchor that owns this handle or patch interior point.
struct ControlPoint {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    int32_t anchor = -1;
    uint8_t layer = 0;
    int32_t mark = 0;  // scratch, meaningful only inside one operation
};

// One cubic Bezier curve: anchors p0 and p3, their handles p1 and p2.
struct Segment {
    int32_t p0 = 0;
    int32_t p1 = 0;
    int32_t p2 = 0;
    int32_t p3 = 0;
    int32_t mark = 0;
};

// One bicubic patch. Its 4 x 4 net, row by row:
//   edge0.p0 edge0.p1 edge0.p2 edge0.p3
//   edge2.p1 inner11  inner12  edge3.p1
//   edge2.p2 inner21  inner22  edge3.p2
//   edge1.p0 edge1.p1 edge1.p2 edge1.p3
struct Patch {
    int32_t edge0 = 0;
    int32_t edge1 = 0;
    int32_t edge2 = 0;
    int32_t edge3 = 0;
    int32_t inner11 = 0;
    int32_t inner12 = 0;
    int32_t inner21 = 0;
    int32_t inner22 = 0;
    int32_t mark = 0;
};

// The point indices of a patch's control net in row-major order.
std::array<int32_t, 16> PatchNet(const std::vector<Segment>& segments, const Patch& patch);

// Symmetry flag bits of `mirrorFlags`.
enum MirrorBits : int32_t {
    kMirrorX = 1,
    kMirrorY = 2,
    kMirrorZ = 4,
    kMirrorMove = 8,
};

struct PatchObject {
    std::string name;  // Shift_JIS bytes, at most kMaxNameBytes
    std::array<float, 4> color{{0.0f, 0.0f, 0.0f, 0.0f}};
    std::vector<ControlPoint> points;
    std::vector<Segment> segments;
    std::vector<Patch> patches;
    int32_t mirrorFlags = 0;
    int32_t windmillCount = 1;  // 1..72, 1 = no copies
    int32_t windmillAxis = 1;   // 1 X, 2 Y, 3 Z
    int32_t moveX = 0;          // thousandths of a model unit
    int32_t moveY = 0;
    int32_t moveZ = 0;
    // Derived: 12 floats a segment (p0..p3) and 48 a patch (its net), rebuilt, never stored.
    std::vector<float> segmentCache;
    std::vector<float> patchCache;
    // A process-wide unique number given by each RebuildObjectCaches, so that geometry derived
    // from the caches (the drawing layer's arrays) knows when to rebuild; 0 before the first.
    uint64_t cacheGeneration = 0;
    // Change tracking of the caches: the generation at which each segment's and each patch's
    // control points last changed, since the whole rebuild that gave generation `cacheBase`
    // (a rebuild that changes the counts starts again), so geometry evaluated from the caches
    // at a later generation needs only the records changed after it evaluated again.
    uint64_t cacheBase = 0;
    std::vector<uint64_t> segmentChangedAt;
    std::vector<uint64_t> patchChangedAt;

    int32_t pointCount() const { return static_cast<int32_t>(points.size()); }
    int32_t segmentCount() const { return static_cast<int32_t>(segments.size()); }
    int32_t patchCount() const { return static_cast<int32_t>(patches.size()); }
};

// Names are stored with a one-byte length in the native file.
constexpr size_t kMaxNameBytes = 255;
// Picture file names of the background slots have the same one-byte length.
constexpr size_t kMaxPictureNameBytes = 255;

// A background picture as loaded by the pictures layer; the model only owns it.
struct LoadedPicture;

enum BackSlot { kBackFront = 0, kBackBack, kBackLeft, kBackRight, kBackTop, kBackBottom };
constexpr int kBackSlotCount = 6;

struct BackPictureSlot {
    std::string fileName;  // empty when the slot has no picture
    std::shared_ptr<LoadedPicture> picture;
    Vec3 scale{1.0f, 1.0f, 1.0f};
    Vec3 rotation;  // degrees
    Vec3 position;
};

// The camera values saved with a document: the field of view and, per orthographic
// direction (Front, Back, Left, Right, Top, Bottom), the last altitude and pan.
struct ViewSettings {
    float fovy = 30.0f;
    std::array<float, 6> orthoAltitude{{9.0f, 9.0f, 9.0f, 9.0f, 9.0f, 9.0f}};
    std::array<Vec3, 6> orthoPan{};
};

struct Document {
    std::vector<PatchObject> objects;
    // Index of the current object; -(i+1) remembers object i while no object is active.
    int32_t currentObject = 0;
    int32_t objectSerial = 0;  // objects made by CreateObject since start-up; never reset
    bool modified = false;
    int32_t activePoint = -1;
    std::vector<int32_t> selectedAnchors;
    std::vector<int32_t> selectedHandles;
    std::array<BackPictureSlot, kBackSlotCount> backPictures{};
    int32_t pictureRatio = 150;
    ViewSettings view;
    Vec3 pivot;  // the transform centre, kept by RecomputePivot

    int32_t objectCount() const { return static_cast<int32_t>(objects.size()); }
    bool HasActiveObject() const { return currentObject >= 0 && currentObject < objectCount(); }
    // The current object, or nullptr while none is active.
    PatchObject* Current() { return HasActiveObject() ? &objects[currentObject] : nullptr; }
    const PatchObject* Current() const {
        return HasActiveObject() ? &objects[currentObject] : nullptr;
    }
};

enum class EditMode : int32_t { Move = 0, Scale = 1, Rotate = 2 };

enum AxisLockBits : int32_t { kLockX = 1, kLockY = 2, kLockZ = 4 };

// The process-wide editing switches, at their start-up values.
struct EditSwitches {
    EditMode editMode = EditMode::Move;
    int32_t axisLock = 0;
    int32_t pivotMode = 0;   // 0 origin, 1 centre of the selected anchors
    int32_t handleMode = 0;  // 0 anchors are picked, 1 handles of the selected anchors
    int32_t showAllObjects = 1;
    int32_t backPictureVisible = 0;
    int32_t intersectSelect = 0;
    std::array<uint8_t, 6> layerVisible{{1, 1, 1, 1, 1, 1}};
    int32_t divLevel = 6;  // 1..20
};

// The program's own clipboard of points, segments and patches.
struct Clipboard {
    std::vector<ControlPoint> points;
    std::vector<Segment> segments;
    std::vector<Patch> patches;
    void Clear() {
        points.clear();
        segments.clear();
        patches.clear();
    }
};

// The default object colours, cycled by objectSerial.
extern const std::array<std::array<float, 4>, 12> kDefaultObjectColors;

// A start-up document: empty slots and one empty object named OBJ_001, not modified.
Document NewDocument();

// Appends a new empty object with the next default name and colour and makes it current.
void CreateObject(Document& doc);
// Deletes the current object unless it is the only one; the previous one becomes current.
void DeleteCurrentObject(Document& doc, const EditSwitches& sw);
// Moves the current object's geometry into the object before it and deletes the current one.
void JoinWithPrevious(Document& doc, const EditSwitches& sw);
// Releases every object, the selection, the background pictures and the clipboard.
void ClearDocument(Document& doc, Clipboard& clipboard);
// The document without its objects and selection: what a file read into it replaces, the
// rest (the serial, the view, the pictures' placement) being what a file may leave as it is.
Document WithoutObjects(const Document& doc);
// Rebuilds both control caches of the current object.
void RebuildControlCaches(Document& doc);
// Rebuilds both control caches of one object.
void RebuildObjectCaches(PatchObject& obj);
// The control points of a segment (12 floats) and of a patch's net (48 floats, row by row), as
// the caches hold them.
void SegmentFloats(const ControlPoint* pts, const Segment& s, float* out);
void PatchFloats(const ControlPoint* pts, const std::vector<Segment>& segments, const Patch& q,
                 float* out);
void ClearPointSelection(Document& doc);
void ResetBackPictureSlots(Document& doc);
// The pivot: the mean of the selected anchors in pivot mode 1, else the origin.
void RecomputePivot(Document& doc, const EditSwitches& sw);
// Ends every edit: recompute the pivot, mark the document modified.
void DocumentChanged(Document& doc, const EditSwitches& sw);

}  // namespace zarni
