// The built-in icons as wx bitmaps, for the palette and the object list.
#pragma once

#include <wx/bitmap.h>

namespace zarni {

// The icon with this resource id, decoded on first use and kept; a null bitmap (IsOk() false)
// for an id without an icon. The reference stays valid until ReleaseIconBitmaps.
const wxBitmap& IconBitmap(int id);

// Drops the decoded bitmaps (the exit routine's "palette resources"); later calls decode anew.
void ReleaseIconBitmaps();

}  // namespace zarni
