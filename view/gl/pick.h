// Picking control points of the current object with OpenGL selection mode: one point under the
// cursor, or every point inside a rubber-band rectangle; and the rubber band itself.
#pragma once

#include <cstdint>

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

// What a pick draws: the current object's points of the present mode, on visible layers.
struct PickInput {
    PickInput(const Document& d, const EditSwitches& s, int32_t flags)
        : doc(d), sw(s), controlFlags(flags) {}
    const Document& doc;
    const EditSwitches& sw;
    int32_t controlFlags;  // Settings::controlFlags; "Minimum Drawing" leaves the other kind out
    float fovy = 30.0f;    // degrees, for perspective views
};

// A point pick reports a PickResult (view/drag.h): the point, the hit count, the first and
// the last record's point.

// The point of the present mode under the cursor (client pixels, y downwards). Among several
// points the last one drawn of the wanted kind wins (the highest index); when none of the hits
// is of that kind, the last record's point is returned whatever its kind, and callers that need
// a kind test it. The view's viewport and projection are loaded again afterwards, with an
// identity modelview. The GL context of the view must be current.
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
// Returns the name of the last hit record, or -1. Restores viewport and projection like the
// point pick; the caller redraws, since the selection changed.
int32_t PickRectangle(Document& doc, const EditSwitches& sw, int32_t controlFlags,
                      const ViewCamera& view, float fovy, int32_t left, int32_t top, int32_t width,
                      int32_t height, ModifierKeys keys, Vec3* dragOrigin = nullptr);

// Draws the dotted rubber band from `from` to `to` (client pixels) over the present picture,
// then leaves the view's projection loaded again.
void DrawRubberBand(const ViewCamera& view, float fovy, CursorPoint from, CursorPoint to);

}  // namespace zarni
