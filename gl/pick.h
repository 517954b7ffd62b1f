// Picking control points of the current object: one point under the cursor, or every point
// inside a rubber-band rectangle; and the rubber band itself. Two methods give the same hit
// records: projecting the points on the processor with the view's own matrices (used by the
// program: selection mode in a software renderer takes ~150 ms over 100,000 points), and
// OpenGL selection mode (kept as the reference the projection is tested against).
#pragma once

#include <cstdint>
#include <vector>

#include "model/document.h"
#include "view/camera.h"
#include "view/drag.h"
#include "view/selection.h"

namespace zarni {

// Width and height in pixels of the region a point pick looks at.
constexpr double kPickSize = 6.0;
// Size of the points drawn for picking.
constexpr float kPickPointSize = 5.0f;
// The selection buffer every pick starts with: 512 hit records of 4 words (one name each).
// A pick over more pickable points grows it so that no hit is ever lost.
constexpr int kSelectBufferWords = 2048;

// How the hit records are found. Both give the records in the same order: one per pickable
// point inside the pick region's clip volume, in drawing order.
enum class PickMethod : uint8_t {
    Projected,      // on the processor; no GL context needed
    SelectionMode,  // GL_SELECT in the current context
};

// What a pick draws: the current object's points of the present mode, on visible layers.
struct PickInput {
    PickInput(const Document& d, const EditSwitches& s, int32_t flags)
        : doc(d), sw(s), controlFlags(flags) {}
    const Document& doc;
    const EditSwitches& sw;
    int32_t controlFlags;  // Settings::controlFlags; "Minimum Drawing" leaves the other kind out
    float fovy = 30.0f;    // degrees, for perspective views
    PickMethod method = PickMethod::Projected;
};

// The names of the hit records of a pick region centred at (x, y) (GL window coordinates, y
// upwards) of the given size; a zero width or height does not restrict the region. The
// selection-mode method needs the view's context current and leaves the viewport and
// projection loaded again with an identity modelview.
std::vector<int32_t> PickHits(const PickInput& in, const ViewCamera& view, double x, double y,
                              double width, double height);

// A point pick reports a PickResult (view/drag.h): the point, the hit count, the first and
// the last record's point.

// The point of the present mode under the cursor (client pixels, y downwards). Among several
// points the last one drawn of the wanted kind wins (the highest index); when none of the hits
// is of that kind, the last record's point is returned whatever its kind, and callers that need
// a kind test it. In selection mode the view's context must be current, and its viewport and
// projection are loaded again afterwards, with an identity modelview.
PickResult PickPointHits(const PickInput& in, const ViewCamera& view, CursorPoint cursor);
// PickPointHits(...).index, keeping the hit count for LastHitCount.
int32_t PickPoint(const PickInput& in, const ViewCamera& view, CursorPoint cursor);
// The hit count of the last PickPoint; -1 while one is under way.
int32_t LastHitCount();

// Selects the points inside the rectangle (client pixels, top-left origin, width and height not
// negative; a zero width or height hits every pickable point in the view). Without Shift or
// Ctrl the selection of the present mode is emptied first, otherwise the hits are added; with
// `intersectSelect` set only previously selected points inside the rectangle stay selected.
// The last selected point becomes active and its position goes to `dragOrigin` when given.
// Returns the name of the last hit record, or -1. Selection mode restores viewport and
// projection like the point pick; the caller redraws, since the selection changed.
int32_t PickRectangle(Document& doc, const EditSwitches& sw, int32_t controlFlags,
                      const ViewCamera& view, float fovy, int32_t left, int32_t top, int32_t width,
                      int32_t height, ModifierKeys keys, Vec3* dragOrigin = nullptr,
                      PickMethod method = PickMethod::Projected);

// Draws the dotted rubber band from `from` to `to` (client pixels) over the present picture,
// inverting the pixels it crosses, then leaves the view's projection loaded again.
void DrawRubberBand(const ViewCamera& view, float fovy, CursorPoint from, CursorPoint to);

}  // namespace zarni
