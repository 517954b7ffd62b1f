// The settings the views, the palette and the operations read: colours, camera defaults,
// subdivision level and the control switches, with the colour-value conversions.
#pragma once

#include <array>
#include <cstdint>

namespace zarni {

// Bits of `Settings::controlFlags`. The first bit turns an option off, so that a settings file
// without "Control"/"Flags" gives button handle control on.
enum ControlFlagBits : int32_t {
    kControlNoButtonHandle = 1,  // right/middle button does not control handles
    kControlMinimumDrawing = 2,
    kControlShow3DPos = 4,
    kControlFullDetailAlways = 8,  // no reduced pictures while dragging
};

// Stored values of the keys read at start-up, used when a key is missing.
constexpr int32_t kDefaultBackColor = 2965282;         // (34, 63, 45)
constexpr int32_t kDefaultWireColor = 10718537;        // (73, 141, 163)
constexpr int32_t kDefaultHandleColor = 3957870;       // (110, 100, 60)
constexpr int32_t kDefaultOtherObjectColor = 3700329;  // (105, 118, 56)
constexpr int32_t kDefaultAltitudeTenths = 90;
constexpr int32_t kDefaultFovy = 30;
constexpr int32_t kDefaultAxesSizeTenths = 10;

// A Windows colour value (red in the low byte, then green, then blue) as float red, green,
// blue, each byte / 255.
constexpr std::array<float, 3> ColorFromValue(uint32_t value) {
    return {{static_cast<float>((value & 0xFF) / 255.0),
             static_cast<float>(((value >> 8) & 0xFF) / 255.0),
             static_cast<float>(((value >> 16) & 0xFF) / 255.0)}};
}

// The colour value of float red, green, blue: each times 255, truncated (not rounded) to a
// byte, so a colour read from a file and written back unchanged keeps its value. Components
// outside 0..1 are clamped.
uint32_t ColorValueFromFloats(float red, float green, float blue);

// Everything the start-up load fills, with the values a missing file gives.
struct Settings {
    std::array<float, 4> backColorRGBA{{ColorFromValue(kDefaultBackColor)[0],
                                        ColorFromValue(kDefaultBackColor)[1],
                                        ColorFromValue(kDefaultBackColor)[2], 1.0f}};
    std::array<float, 3> wireColor = ColorFromValue(kDefaultWireColor);
    std::array<float, 3> handleColor = ColorFromValue(kDefaultHandleColor);
    std::array<float, 3> otherObjectColor = ColorFromValue(kDefaultOtherObjectColor);
    float defaultAltitude = 9.0f;  // the camera distance a view starts with
    float fovy = 30.0f;            // degrees
    float axesSize = 1.0f;         // axis length and cube half size; the grid spacing is half
    int32_t synchronize = 1;       // redraw every view after a drag edit, not just the current
    int32_t divLevel = 6;
    int32_t backPictureVisible = 0;
    int32_t controlFlags = 0;  // ControlFlagBits
};

}  // namespace zarni
