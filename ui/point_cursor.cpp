// The pointing-hand cursor image.
#include "ui/point_cursor.h"

namespace zarni {

// clang-format off
const char* const kPointCursorRows[kPointCursorSize] = {
    "................................",
    "......##........................",
    ".....#oo#.......................",
    ".....#oo#.......................",
    ".....#oo#.......................",
    ".....#oo#.......................",
    ".....#oo#.......................",
    ".....#oo###.....................",
    ".....#oo#oo###..................",
    ".....#oo#oo#oo###...............",
    ".....#oo#oo#oo#oo#..............",
    ".....#oo#oo#oo#oo#..............",
    "..####oo#oo#oo#oo#..............",
    "..#oo#oo#oo#oo#oo#..............",
    "..#oooooooooooooo#..............",
    "..#oooooooooooooo#..............",
    "..#oooooooooooooo#..............",
    "...#ooooooooooooo#..............",
    "....#oooooooooooo#..............",
    ".....#ooooooooooo#..............",
    "......#oooooooooo#..............",
    "......#oooooooooo#..............",
    "......#oooooooooo#..............",
    "......#oooooooooo#..............",
    "......############..............",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
};
// clang-format on

CursorPixel PointCursorPixel(int x, int y) {
    if (x < 0 || y < 0 || x >= kPointCursorSize || y >= kPointCursorSize) {
        return CursorPixel::Transparent;
    }
    switch (kPointCursorRows[y][x]) {
        case '#':
            return CursorPixel::Black;
        case 'o':
            return CursorPixel::White;
        default:
            return CursorPixel::Transparent;
    }
}

std::array<uint8_t, kPointCursorSize * kPointCursorSize * 4> PointCursorRgba() {
    std::array<uint8_t, kPointCursorSize * kPointCursorSize * 4> rgba{};
    for (int y = 0; y < kPointCursorSize; ++y) {
        for (int x = 0; x < kPointCursorSize; ++x) {
            uint8_t* p = &rgba[(y * kPointCursorSize + x) * 4];
            const CursorPixel c = PointCursorPixel(x, y);
            const uint8_t v = c == CursorPixel::White ? 255 : 0;
            p[0] = p[1] = p[2] = v;
            p[3] = c == CursorPixel::Transparent ? 0 : 255;
        }
    }
    return rgba;
}

}  // namespace zarni
