// The lathe: selected curves turned about a coordinate axis into patches, a sector at a time or
// a full revolution whose last ring is welded back onto the profile.
#pragma once

#include <cstdint>

#include "model/document.h"

namespace zarni {

// The lathe's parameters. Each is one byte, as the settings always held them.
struct LatheSettings {
    uint8_t axis = 2;        // 1 X, 2 Y, 3 Z; any other value builds nothing
    uint8_t type = 0;        // 0 full revolution and weld, 1 partsCount steps
    uint8_t partsCount = 1;  // steps of a partial lathe
    uint8_t divLevel = 4;    // steps per revolution, used as 3..18
};

enum LatheType : uint8_t { kLatheClose = 0, kLatheParts = 1 };

// The steps per revolution a lathe really makes: the dialog only ever gives 3..18 and the arc
// handle table ends at 18, so other values are brought into that range.
int32_t LatheDivisions(uint8_t divLevel);

// One step: every selected segment (both ends selected) is turned by -360/divisions degrees and
// joined to its copy by a patch whose side curves are circular arcs. Shared ends share their
// copies and side curves. Does not change the selection.
void LatheStep(Document& doc, const LatheSettings& settings);

// partsCount steps, each turning the copies of the one before; the last copies are selected.
void LatheParts(Document& doc, const LatheSettings& settings);

// A full revolution: `divisions` steps, then the last ring is welded onto the profile.
void LatheFull(Document& doc, const EditSwitches& sw, const LatheSettings& settings);

// Merges the points from `start` on into coincident older points (L1 distance below 0.001),
// always taking the lowest such pair that MergePoints accepts next and trying again after each
// merge, so a handle merges once its anchor has. Gives exactly the document that repeated
// MergePoints calls give, without rescanning the object after every merge.
void WeldLatheSeam(Document& doc, const EditSwitches& sw, int32_t start);

// The lathe command after its dialog: a full or partial lathe of the selection by `type`,
// nothing for another type or an empty selection.
void LatheSelection(Document& doc, const EditSwitches& sw, const LatheSettings& settings);

}  // namespace zarni
