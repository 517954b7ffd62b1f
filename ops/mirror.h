// Axis mirror of the selection: selected anchors and their points negated on one axis.
#pragma once

#include "model/document.h"

namespace zarni {

// Negates coordinate `axis` (0 X, 1 Y, 2 Z) of the selected anchors and of the points they own;
// nothing when that axis is locked. Caches and DocumentChanged are the caller's.
void MirrorSelectionAxis(Document& doc, const EditSwitches& sw, int axis);

}  // namespace zarni
