// Point merging: the first point disappears into the second.
#pragma once

#include <cstdint>

#include "model/document.h"

namespace zarni {

// Merges point `a` of the current object into point `b`. 1 when merged, 0 when refused
// (nothing changes then).
int MergePoints(Document& doc, const EditSwitches& sw, int32_t a, int32_t b);

}  // namespace zarni
