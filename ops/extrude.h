// Extrude: selected curves swept along a coordinate axis into a strip of patches.
#pragma once

#include <cstdint>

#include "model/document.h"

namespace zarni {

struct ExtrudeSettings {
    bool minus = false;   // sweep towards the negative axis
    int32_t axis = 3;     // 1 X, 2 Y, 3 Z; any other value sweeps by nothing
    float length = 0.6f;  // model units
};

// Sweeps every selected segment (both ends selected) by `length` and builds a patch between it
// and its copy; the copies' anchors become the selection. Nothing happens while the anchor
// selection is empty.
void ExtrudeSelection(Document& doc, const EditSwitches& sw, const ExtrudeSettings& settings);

}  // namespace zarni
