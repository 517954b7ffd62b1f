// The version dialog: the caption text and an OK button.
#pragma once

class wxWindow;

namespace zarni {

// Modal; returns 1 for OK and 2 when closed otherwise.
int ShowVersionDialog(wxWindow* owner);

}  // namespace zarni
