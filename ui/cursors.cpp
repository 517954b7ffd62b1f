// The point cursor as a wx cursor, from the program's own image of it.
#include "ui/cursors.h"

#include <wx/image.h>

#include "ui/point_cursor.h"

namespace zarni {

wxCursor CreatePointCursor() {
    const auto rgba = PointCursorRgba();
    wxImage image(kPointCursorSize, kPointCursorSize);
    image.InitAlpha();
    for (int y = 0; y < kPointCursorSize; ++y) {
        for (int x = 0; x < kPointCursorSize; ++x) {
            const uint8_t* p = &rgba[(y * kPointCursorSize + x) * 4];
            image.SetRGB(x, y, p[0], p[1], p[2]);
            image.SetAlpha(x, y, p[3]);
        }
    }
    image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_X, kPointCursorHotX);
    image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_Y, kPointCursorHotY);
    return wxCursor(image);
}

}  // namespace zarni
