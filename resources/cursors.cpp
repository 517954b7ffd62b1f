// The pointing-hand cursor, drawn from a few rectangles of white with a one-pixel black
// outline around them.
#include "resources/cursors.h"

#include <wx/image.h>

namespace zarni {

namespace {

struct Box {
    int left, top, right, bottom;  // inclusive
};

// The hand's white area: finger, three folded fingers, thumb and palm.
constexpr Box kHand[] = {
    {6, 2, 7, 14},     // index finger
    {9, 9, 10, 14},    // middle finger
    {12, 10, 13, 14},  // ring finger
    {15, 11, 16, 15},  // little finger
    {3, 13, 4, 16},    // thumb
    {4, 15, 5, 18},    //
    {5, 14, 16, 21},   // palm
    {6, 22, 15, 24},   // wrist
};

}  // namespace

wxCursor CreatePointCursor() {
    constexpr int kSize = 32;
    bool white[kSize][kSize] = {};
    for (const Box& b : kHand) {
        for (int y = b.top; y <= b.bottom; ++y) {
            for (int x = b.left; x <= b.right; ++x)
                white[y][x] = true;
        }
    }
    wxImage image(kSize, kSize);
    image.InitAlpha();
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            bool outline = false;
            if (!white[y][x]) {
                for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < kSize && ny < kSize && white[ny][nx]) {
                        outline = true;
                    }
                }
            }
            const unsigned char c = white[y][x] ? 255 : 0;
            image.SetRGB(x, y, c, c, c);
            image.SetAlpha(x, y, (white[y][x] || outline) ? 255 : 0);
        }
    }
    image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_X, 6);
    image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_Y, 1);
    return wxCursor(image);
}

}  // namespace zarni
