// Numeric edits of the selection along one axis or all three: move, scale about the pivot and
// rotate about an axis through it; with no object active they edit the background pictures.
#pragma once

#include <array>
#include <cstdint>

#include "model/document.h"

namespace zarni {

// What the picture edits need to know of each of the four views.
struct PictureView {
    bool perspective = true;
    int32_t viewIndex = 0;  // orthographic direction 0 Front .. 5 Bottom, the slot it shows
};
using PictureViews = std::array<PictureView, 4>;

// The views of the four-view layout: perspective, Top, Front, Right.
PictureViews FourViewLayoutViews();

// Applies v on axis k (0 X, 1 Y, 2 Z) according to the edit mode: a move in model units, a
// change of the active point's coordinate for Scale, an angle in radians for Rotate. Needs an
// active point while an object is active; with none active it is BackPictureEdit. Only changes
// coordinates: caches and DocumentChanged are the caller's.
void AxisEdit(Document& doc, const EditSwitches& sw, const PictureViews& views, int axis, float v);

// Applies v on every unlocked axis; in Scale mode every axis is scaled by 1 + v about the pivot.
void AllAxesEdit(Document& doc, const EditSwitches& sw, const PictureViews& views, float v);

// Adds v to component k of the position, scale or rotation of the background picture of each
// orthographic view.
void BackPictureEdit(Document& doc, const EditSwitches& sw, const PictureViews& views, int axis,
                     float v);

}  // namespace zarni
