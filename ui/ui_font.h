// The one font the palette, the object list and the colour dialog draw their text with.
#pragma once

#include <wx/font.h>

namespace zarni {

// Made once at start-up: IPA P Gothic at the menu font's size (the metric twin of the dialog
// font the program was drawn for), or the system's GUI font when that face is missing.
void CreateUiFont();
const wxFont& UiFont();

}  // namespace zarni
