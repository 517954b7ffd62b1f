// The colour dialog's rules without a display: RGB and HSV conversions, the named colours, the
// edited colour with the commands that change it, and its picture (hue bar, saturation-value
// square, swatch and the two inverted circle markers).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zarni {

struct RgbColour {
    float red = 0;
    float green = 0;
    float blue = 0;
};

struct HsvColour {
    float h = 0;  // degrees 0..360
    float s = 0;  // 0..1
    float v = 0;  // 0..1
};

// Each channel is clamped to 0..1 first; grey (and black) have hue 0.
HsvColour RgbToHsv(float red, float green, float blue);
// H is clamped to 0..360 (360 counts as 0), S and V to 0..1.
RgbColour HsvToRgb(float h, float s, float v);

// Colour values with red in the low byte, then green, then blue.
constexpr uint32_t ColourValue(uint32_t red, uint32_t green, uint32_t blue) {
    return (red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16;
}
// A channel 0..1 as a byte: trunc(255 x c), after clamping to 0..1.
uint8_t ChannelByte(float c);

struct NamedColour {
    const char* name;  // at most 29 characters
    uint8_t red, green, blue;
};
constexpr int kNamedColourCount = 140;
constexpr size_t kNamedColourNameMax = 29;
const std::array<NamedColour, kNamedColourCount>& NamedColours();
// The entry of that exact name (the first one), or nullptr.
const NamedColour* FindNamedColour(const std::string& name);

// The field ranges and the hue step's divisor.
constexpr int kHueFieldMax = 359;
constexpr int kUnitFieldMax = 255;
constexpr int kHueDivMin = 2;
constexpr int kHueDivMax = 36;
constexpr int kDefaultHueDiv = 12;
// A divisor outside 2..36 (a typed 0 would divide by zero) is moved to the nearest end.
int32_t ClampHueDiv(uint32_t n);

// Where a released left button landed in the dialog's client area.
enum class HsvClick { None, HueBar, Square };

// The colour being edited, in both models; every command keeps the two in step.
struct HsvState {
    float red = 0, green = 0, blue = 0;
    float H = 0, S = 0, V = 0;

    static HsvState FromColourValue(uint32_t colour);
    // The colour value of red, green, blue, each channel trunc(255 x c).
    uint32_t Result() const;

    // What the H, S and V fields show: trunc(H), trunc(255 S), trunc(255 V).
    int32_t HueField() const;
    int32_t SaturationField() const;
    int32_t ValueField() const;

    // The fields' integers as typed (H 0..359, S and V 0..255; larger numbers are taken as the
    // top of the range). Takes them when any differs from the current H, S, V and re-derives
    // red, green, blue; returns whether anything changed.
    bool TakeFields(uint32_t hue, uint32_t saturation, uint32_t value);
    // Takes the fields' integers back after a command has set them: the colour the dialog
    // returns is always the one its fields show.
    bool SnapToFields();
    // A left button release at client (x, y): on the hue bar (y < 10, x < 370) it sets H, in
    // the square's area (y > 13, x < 276) S and V, each clamped to its range.
    HsvClick Click(int32_t x, int32_t y);
    void Grey();               // S = 0
    void Complement();         // H + 180
    void StepHue(uint32_t n);  // H + 360 / n, n clamped to 2..36
    void TakeColour(uint8_t red, uint8_t green, uint8_t blue);

  private:
    void DeriveRgb();
};

// The picture: 360 x 280 pixels, top-down rows of red, green, blue bytes. It is drawn at
// client (10, 0): the hue bar fills rows 0..9, the square client x 10..265, y 24..279 with
// value increasing upwards, the swatch client x 280..361, y 26..49.
constexpr int kHsvPictureWidth = 360;
constexpr int kHsvPictureHeight = 280;
constexpr int kHsvPictureX = 10;
constexpr int kHsvPictureY = 0;
constexpr uint8_t kHsvPictureGrey = 0xC0;

struct HsvPicture {
    std::vector<uint8_t> rgb = std::vector<uint8_t>(kHsvPictureWidth * kHsvPictureHeight * 3);
};

// Renders grey background, square for `state.H`, hue bar and swatch.
void RenderHsvPicture(const HsvState& state, HsvPicture& picture);

// A top-down RGB image of the dialog's colour area (client x 0..width-1, y 0..height-1):
// `background` everywhere, the picture at its place, then the two markers drawn by inverting
// the pixels under their outlines. The hue marker's box is (trunc(H)+6, 0)-(trunc(H)+14, 10),
// the square's (s+5, 275-v)-(s+15, 285-v) with s, v the S and V fields.
void ComposeHsvCanvas(const HsvState& state, const HsvPicture& picture, int width, int height,
                      uint32_t background, std::vector<uint8_t>& canvas);

// The outline of the ellipse inscribed in the box left <= x < right, top <= y < bottom, as
// points (each once), for the markers.
std::vector<std::array<int32_t, 2>> EllipseOutline(int32_t left, int32_t top, int32_t right,
                                                   int32_t bottom);

}  // namespace zarni
