// Handle smoothing and straightening of the selected handles.
#pragma once

#include "model/document.h"

namespace zarni {

// Puts each selected segment handle straight opposite another point of its anchor, so the
// curve passes through the anchor without a kink.
void SmoothHandles(Document& doc, const EditSwitches& sw);

// Puts each selected segment handle a third of the way along its segment, and re-spaces selected
// patch interior points along the straightened rows or columns.
void StraightenHandles(Document& doc, const EditSwitches& sw);

}  // namespace zarni
