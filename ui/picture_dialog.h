// The open dialog for background pictures ("Bitmap形式の画像を開く") with a live preview of the
// selected file.
#pragma once

#include <optional>
#include <string>

class wxWindow;

namespace zarni {

// Asks for a BMP picture, starting in the folder of the first use and at the last-used path.
// On OK the chosen path (the first one when several were chosen) becomes the last-used path and
// is returned; nothing on Cancel.
std::optional<std::string> ChooseBackPicture(wxWindow* owner);

}  // namespace zarni
