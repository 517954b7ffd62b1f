// The program's cursor 3 as plain data: a 32 x 32 pointing hand, white with a black outline,
// index finger up, hot spot at the finger tip. The window side turns it into a cursor.
#pragma once

#include <array>
#include <cstdint>

namespace zarni {

constexpr int kPointCursorResourceId = 3;
constexpr int kPointCursorSize = 32;
constexpr int kPointCursorHotX = 6;
constexpr int kPointCursorHotY = 1;

// One row per string, top row first: '.' transparent, '#' black, 'o' white.
extern const char* const kPointCursorRows[kPointCursorSize];

enum class CursorPixel : uint8_t { Transparent, Black, White };

// The pixel at (x, y), y downwards; outside the image it is transparent.
CursorPixel PointCursorPixel(int x, int y);

// The image as RGBA bytes, rows top first, transparent pixels with alpha 0.
std::array<uint8_t, kPointCursorSize * kPointCursorSize * 4> PointCursorRgba();

}  // namespace zarni
