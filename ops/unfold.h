// Unfold: an object's mirror, windmill and move copies turned into real geometry.
#pragma once

#include "model/document.h"

namespace zarni {

// Appends the symmetry copies of the current object (mirror X, Y, Z, windmill, move, each
// stage copying everything so far) and resets its symmetry settings. The selection stays.
void UnfoldSymmetry(Document& doc, const EditSwitches& sw);

}  // namespace zarni
