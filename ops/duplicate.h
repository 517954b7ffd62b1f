// Duplicate in place: the selected part of the current object is copied into it and selected.
#pragma once

#include "model/document.h"

namespace zarni {

// Copies every patch whose four corners and every segment whose two ends are selected into the
// current object at the same place and selects the copied anchors. The clipboard is not used.
void DuplicateSelection(Document& doc, const EditSwitches& sw);

}  // namespace zarni
