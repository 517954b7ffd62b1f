// The symmetry dialog ("MirrorSetting") of the current object: mirror axes, windmill copies and
// the move copy, each acting at once, and Unfold.
#pragma once

class wxWindow;

namespace zarni {

// Shows the dialog for the current object over `parent` and returns when it is closed; does
// nothing when no object is current. Every change reaches the object and the views at once.
void ShowSymmetryDialog(wxWindow* parent);

}  // namespace zarni
