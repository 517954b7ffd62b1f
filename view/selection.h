// The point selection of the current object: picking one point, all, none, the inverse, the
// handle-mode switch, and moving and welding the selected points.
#pragma once

#include <cstdint>

#include "model/document.h"

namespace zarni {

// The modifier keys held while a selection gesture happens, read by the caller from its toolkit.
struct ModifierKeys {
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
};

// Makes point i selected and active, when it is of the kind the present mode selects (in handle
// mode only handles of selected anchors). `add` or Ctrl appends to the selection, otherwise it
// becomes exactly (i). The point's position goes to `dragOrigin` when given.
void SelectPoint(Document& doc, const EditSwitches& sw, int32_t i, bool add, ModifierKeys keys = {},
                 Vec3* dragOrigin = nullptr);

// Selects every eligible point of the present mode in index order; the last becomes active.
void SelectAll(Document& doc, const EditSwitches& sw, Vec3* dragOrigin = nullptr);

// Empties the selection list of the present mode and clears the active point.
void SelectNone(Document& doc, const EditSwitches& sw);

// Selects exactly the eligible points that were not selected.
void InvertSelection(Document& doc, const EditSwitches& sw, Vec3* dragOrigin = nullptr);

// Switches between point mode and handle mode.
void ToggleHandleMode(Document& doc, EditSwitches& sw);

// Moves the selected anchors with the points they own (in handle mode the active handle with
// its own points) by `delta`, leaving locked components alone. Caches are the caller's.
void MoveSelection(Document& doc, const EditSwitches& sw, Vec3 delta);

// The nearest other point of the current object within 0.2 (sum of coordinate differences),
// ties to the lower index; -1 when there is none.
int32_t FindNearestPoint(const Document& doc, int32_t k);

}  // namespace zarni
