// New curve segments drawn in the view, stored into the current object.
#pragma once

#include <array>

#include "model/document.h"

namespace zarni {

// Appends the cubic segment Q0..Q3 (start anchor, start handle, end handle, end anchor). A new
// curve gets four new points; continuing starts at the object's last point, which the view keeps
// as the end anchor of the segment before, and adds three. False (nothing changed) when there is
// no current object, or nothing to continue from.
bool AppendCurveSegment(Document& doc, const EditSwitches& sw, bool continueCurve,
                        const std::array<Vec3, 4>& q);

}  // namespace zarni
