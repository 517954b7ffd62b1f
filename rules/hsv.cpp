// The colour dialog's rules: conversions, named colours, commands and the picture.
#include "rules/hsv.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zarni {

namespace {

float Clamp01(float c) {
    return std::clamp(c, 0.0f, 1.0f);
}

const std::array<NamedColour, kNamedColourCount> kNamedColours = {{
    {"Blue-Alice", 0xF0, 0xF8, 0xFF},
    {"White-Abtique", 0xFA, 0xEB, 0xD7},
    {"Aqua", 0x00, 0xFF, 0xFF},
    {"Aquamarine", 0x7F, 0xFF, 0xD4},
    {"Azure", 0xF0, 0xFF, 0xFF},
    {"Beige", 0xF5, 0xF5, 0xDC},
    {"Bisque", 0xFF, 0xE4, 0xC4},
    {"Black", 0x00, 0x00, 0x00},
    {"Blanchedalmond", 0xFF, 0xEB, 0xCD},
    {"Blue", 0x00, 0x00, 0xFF},
    {"Violet-Blue", 0x8A, 0x2B, 0xE2},
    {"Brown", 0xA5, 0x2A, 0x2A},
    {"Burlywood", 0xDE, 0xB8, 0x87},
    {"Blue-Cadet", 0x5F, 0x9E, 0xA0},
    {"Chartreuse", 0x7F, 0xFF, 0x00},
    {"Chocolate", 0xD2, 0x69, 0x1E},
    {"Coral", 0xFF, 0x7F, 0x50},
    {"Blue-CornFlower", 0x64, 0x95, 0xED},
    {"CornSilk", 0xFF, 0xF8, 0xDC},
    {"Crimson", 0xDC, 0x14, 0x3C},
    {"Cyan", 0x00, 0xFF, 0xFF},
    {"Blue-Dark", 0x00, 0x00, 0x8B},
    {"Cyan-Dark", 0x00, 0x8B, 0x8B},
    {"Goldenrod-Dark", 0x88, 0x86, 0x0B},
    {"Gray-Dark", 0xA9, 0xA9, 0xA9},
    {"Green-Dark", 0x00, 0x64, 0x00},
    {"Khaki-Dark", 0xBD, 0xB7, 0x6B},
    {"Magenta-Dark", 0x8B, 0x00, 0x8B},
    {"OliveGreen-Dark", 0x55, 0x6B, 0x2F},
    {"Orange-Dark", 0xFF, 0x8C, 0x00},
    {"Orchid-Dark", 0x99, 0x32, 0xCC},
    {"Red-Dark", 0x8B, 0x00, 0x00},
    {"Salmon-Dark", 0xE9, 0x96, 0x7A},
    {"Green-Sea-Dark", 0x8F, 0xBC, 0x8F},
    {"Blue-Slate-Dark", 0x48, 0x3D, 0x8B},
    {"Gray-Slate-Dark", 0x2F, 0x4F, 0x4F},
    {"Turquoise-Dark", 0x00, 0xCE, 0xD1},
    {"Violet-Dark", 0x94, 0x00, 0xD3},
    {"Pink-Deep", 0xFF, 0x14, 0x93},
    {"Blue-Sky-Deep", 0x00, 0xBF, 0xFF},
    {"Gray-Dim", 0x69, 0x69, 0x69},
    {"Blue-Dodger", 0x1E, 0x90, 0xFF},
    {"FireBrick", 0xB2, 0x22, 0x22},
    {"White-Floral", 0xFF, 0xFA, 0xF0},
    {"Green-Forest", 0x22, 0x8B, 0x22},
    {"Fuchsia", 0xFF, 0x00, 0xFF},
    {"Gainsboro", 0xDC, 0xDC, 0xDC},
    {"White-Ghost", 0xF8, 0xF8, 0xFF},
    {"Gold", 0xFF, 0xD7, 0x00},
    {"Goldenrod", 0xDA, 0xA5, 0x20},
    {"Gray", 0x80, 0x80, 0x80},
    {"Green", 0x00, 0x80, 0x00},
    {"Yellow-Green", 0xAD, 0xFF, 0x2F},
    {"Fhoneydew", 0xF0, 0xFF, 0xF0},
    {"Pink-Hot", 0xFF, 0x69, 0xB4},
    {"Red-Indian", 0xCD, 0x5C, 0x5C},
    {"Indigo", 0x4B, 0x00, 0x82},
    {"Ivory", 0xFF, 0xFF, 0xF0},
    {"Khaki", 0xF0, 0xE6, 0x8C},
    {"Lavender", 0xE6, 0xE6, 0xFA},
    {"Lavenderblush", 0xFF, 0xF0, 0xF5},
    {"Green-Lawn", 0x7C, 0xFC, 0x00},
    {"Lemonchiffon", 0xFF, 0xFA, 0xCD},
    {"Blue-Light", 0xAD, 0xD8, 0xE6},
    {"Coral-Light", 0xF0, 0x80, 0x80},
    {"Cyan-Light", 0xE0, 0xFF, 0xFF},
    {"Gloldenrod-Yellow-Light", 0xFA, 0xFA, 0xD2},
    {"Green-Light", 0x90, 0xEE, 0x90},
    {"Grey-Light", 0xD3, 0xD3, 0xD3},
    {"Pink-Light", 0xFF, 0xB6, 0xC1},
    {"Salmon-Light", 0xFF, 0xA0, 0x7A},
    {"Green-Sea-Light", 0x20, 0xB2, 0xAA},
    {"Blue-Sky-Light", 0x87, 0xCE, 0xFA},
    {"Gray-Slate-Light", 0x77, 0x88, 0x99},
    {"Blue-Steel-Light", 0xB0, 0xC4, 0xDE},
    {"Yellow-Light", 0xFF, 0xFF, 0xE0},
    {"Lime", 0x00, 0xFF, 0x00},
    {"Green-Lime", 0x32, 0xCD, 0x32},
    {"Linen", 0xFA, 0xF0, 0xE6},
    {"Magenta", 0xFF, 0x00, 0xFF},
    {"Maroon", 0x80, 0x00, 0x00},
    {"Aquamarine-Medium", 0x66, 0xCD, 0xAA},
    {"Blue-Medium", 0x00, 0x00, 0xCD},
    {"Orchid-Medium", 0xBA, 0x55, 0xD3},
    {"Purple-Medium", 0x93, 0x70, 0xDB},
    {"Green-Sea-Medium", 0x3C, 0xB3, 0x71},
    {"Blue-Slate-Medium", 0x7B, 0x68, 0xEE},
    {"Green-Spring-Medium", 0x00, 0xFA, 0x9A},
    {"Turquoise-Medium", 0x48, 0xD1, 0xCC},
    {"Violetred-Medium", 0xC7, 0x15, 0x85},
    {"Blue-Mmidnight", 0x19, 0x19, 0x70},
    {"MintCream", 0xF5, 0xFF, 0xFA},
    {"Rose-Misty", 0xFF, 0xE4, 0xE1},
    {"Moccasin", 0xFF, 0xE4, 0xB5},
    {"White-Navajo", 0xFF, 0xDE, 0xAD},
    {"Navy", 0x00, 0x00, 0x80},
    {"OldLace", 0xFD, 0xF5, 0xE5},
    {"Olive", 0x80, 0x80, 0x00},
    {"Olivedrab", 0x6B, 0x8E, 0x23},
    {"Orange", 0xFF, 0xA5, 0x00},
    {"Red-Orange", 0xFF, 0x45, 0x00},
    {"Orchid", 0xDA, 0x70, 0xD6},
    {"Goldenrod-Pale", 0xEE, 0xE8, 0xAA},
    {"Green-Pale", 0x98, 0xFB, 0x98},
    {"Turquoise-Pale", 0xAF, 0xEE, 0xEE},
    {"VioletRed-Pale", 0xDB, 0x70, 0x93},
    {"Papayawhip", 0xFF, 0xEF, 0xD5},
    {"Peachpuff", 0xFF, 0xDA, 0xB9},
    {"Peru", 0xCD, 0x85, 0x3F},
    {"Pink", 0xFF, 0xC0, 0xCD},
    {"Plum", 0xDD, 0xA0, 0xDD},
    {"Blue-Powder", 0xB0, 0xE0, 0xE6},
    {"Purple", 0x80, 0x00, 0x80},
    {"Red", 0xFF, 0x00, 0x00},
    {"Brown-Rosy", 0xBC, 0x8F, 0x8F},
    {"Blue-Royal", 0x41, 0x69, 0xE1},
    {"Brown-Saddle", 0x8B, 0x45, 0x13},
    {"Salmon", 0xFA, 0x80, 0x72},
    {"Brown-Sandy", 0xF4, 0xA4, 0x60},
    {"Green-Sea", 0x2E, 0x8B, 0x57},
    {"SeaShell", 0xFF, 0xF5, 0xEE},
    {"Sienna", 0xA0, 0x52, 0x2D},
    {"Silver", 0xC0, 0xC0, 0xC0},
    {"Blue-Sky", 0x87, 0xCE, 0xEB},
    {"Blue-slate", 0x6A, 0x5A, 0xCD},
    {"Gray-Slate", 0x70, 0x80, 0x90},
    {"Snow", 0xFF, 0xFA, 0xFA},
    {"Green-Spring", 0x00, 0xFF, 0x7F},
    {"Blue-Steel", 0x46, 0x82, 0xB4},
    {"Tan", 0xD2, 0xB4, 0x8C},
    {"Teal", 0x00, 0x80, 0x80},
    {"Thistle", 0xD8, 0xBF, 0xD8},
    {"Tomato", 0xFF, 0x63, 0x47},
    {"Turquoise", 0x40, 0xE0, 0xD0},
    {"Violet", 0xEE, 0x82, 0xEE},
    {"Wheat", 0xF5, 0xDE, 0xB3},
    {"White", 0xFF, 0xFF, 0xFF},
    {"Whitesmoke", 0xF5, 0xF5, 0xF5},
    {"Yellow", 0xFF, 0xFF, 0x00},
    {"Green-Yellow", 0x9A, 0xCD, 0x32},
}};

// Sets one pixel of a top-down RGB image.
inline void Put(uint8_t* at, const RgbColour& c) {
    at[0] = ChannelByte(c.red);
    at[1] = ChannelByte(c.green);
    at[2] = ChannelByte(c.blue);
}

}  // namespace

HsvColour RgbToHsv(float red, float green, float blue) {
    red = Clamp01(red);
    green = Clamp01(green);
    blue = Clamp01(blue);
    const float max = std::max({red, green, blue});
    const float min = std::min({red, green, blue});
    const float delta = max - min;
    HsvColour out;
    out.v = max;
    out.s = max != 0.0f ? delta / max : 0.0f;
    if (out.s == 0.0f) return out;
    const float rc = (max - red) / delta;
    const float gc = (max - green) / delta;
    const float bc = (max - blue) / delta;
    float h;
    if (max == red) {
        h = bc - gc;
    } else if (max == green) {
        h = 2.0f + rc - bc;
    } else {
        h = 4.0f + gc - rc;
    }
    h *= 60.0f;
    if (h < 0.0f) h += 360.0f;
    out.h = h;
    return out;
}

RgbColour HsvToRgb(float h, float s, float v) {
    h = std::clamp(h, 0.0f, 360.0f);
    s = Clamp01(s);
    v = Clamp01(v);
    if (s == 0.0f) return {v, v, v};
    if (h == 360.0f) h = 0.0f;
    h /= 60.0f;
    const int i = static_cast<int>(h);
    const float f = h - static_cast<float>(i);
    const float p = v * (1.0f - s);
    const float q = v * (1.0f - s * f);
    const float t = v * (1.0f - s * (1.0f - f));
    switch (i) {
        case 0:
            return {v, t, p};
        case 1:
            return {q, v, p};
        case 2:
            return {p, v, t};
        case 3:
            return {p, q, v};
        case 4:
            return {t, p, v};
        default:
            return {v, p, q};
    }
}

uint8_t ChannelByte(float c) {
    return static_cast<uint8_t>(255.0f * Clamp01(c));
}

const std::array<NamedColour, kNamedColourCount>& NamedColours() {
    return kNamedColours;
}

const NamedColour* FindNamedColour(const std::string& name) {
    for (const NamedColour& c : kNamedColours) {
        if (name == c.name) return &c;
    }
    return nullptr;
}

int32_t ClampHueDiv(uint32_t n) {
    return static_cast<int32_t>(std::clamp<uint32_t>(n, kHueDivMin, kHueDivMax));
}

HsvState HsvState::FromColourValue(uint32_t colour) {
    HsvState st;
    st.TakeColour(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return st;
}

uint32_t HsvState::Result() const {
    return zarni::ColourValue(ChannelByte(red), ChannelByte(green), ChannelByte(blue));
}

int32_t HsvState::HueField() const {
    return static_cast<int32_t>(H);
}

int32_t HsvState::SaturationField() const {
    return static_cast<int32_t>(255.0f * S);
}

int32_t HsvState::ValueField() const {
    return static_cast<int32_t>(255.0f * V);
}

void HsvState::DeriveRgb() {
    const RgbColour c = HsvToRgb(H, S, V);
    red = c.red;
    green = c.green;
    blue = c.blue;
}

bool HsvState::TakeFields(uint32_t hue, uint32_t saturation, uint32_t value) {
    const float h = static_cast<float>(std::min<uint32_t>(hue, kHueFieldMax));
    const float s = static_cast<float>(std::min<uint32_t>(saturation, kUnitFieldMax)) / 255.0f;
    const float v = static_cast<float>(std::min<uint32_t>(value, kUnitFieldMax)) / 255.0f;
    if (h == H && s == S && v == V) return false;
    H = h;
    S = s;
    V = v;
    DeriveRgb();
    return true;
}

bool HsvState::SnapToFields() {
    return TakeFields(static_cast<uint32_t>(HueField()), static_cast<uint32_t>(SaturationField()),
                      static_cast<uint32_t>(ValueField()));
}

HsvClick HsvState::Click(int32_t x, int32_t y) {
    if (y < 10 && x < 370) {
        H = std::clamp(static_cast<float>(x - 10), 0.0f, 359.9f);
        DeriveRgb();
        return HsvClick::HueBar;
    }
    if (y > 13 && x < 276) {
        S = Clamp01(static_cast<float>(x - 10) / 255.0f);
        V = Clamp01(static_cast<float>(255 - (y - 24)) / 255.0f);
        DeriveRgb();
        return HsvClick::Square;
    }
    return HsvClick::None;
}

void HsvState::Grey() {
    S = 0.0f;
    DeriveRgb();
}

void HsvState::Complement() {
    H += 180.0f;
    if (H >= 360.0f) H -= 360.0f;
    DeriveRgb();
}

void HsvState::StepHue(uint32_t n) {
    H += 360.0f / static_cast<float>(ClampHueDiv(n));
    if (H >= 360.0f) H -= 360.0f;
    DeriveRgb();
}

void HsvState::TakeColour(uint8_t r, uint8_t g, uint8_t b) {
    red = r / 255.0f;
    green = g / 255.0f;
    blue = b / 255.0f;
    const HsvColour hsv = RgbToHsv(red, green, blue);
    H = hsv.h;
    S = hsv.s;
    V = hsv.v;
}

void RenderHsvPicture(const HsvState& state, HsvPicture& picture) {
    constexpr int W = kHsvPictureWidth;
    constexpr int Hgt = kHsvPictureHeight;
    uint8_t* px = picture.rgb.data();
    std::memset(px, kHsvPictureGrey, picture.rgb.size());
    // Stored row r (bottom-up) is display row Hgt - 1 - r.
    auto row = [&](int stored) { return px + static_cast<size_t>(Hgt - 1 - stored) * W * 3; };
    for (int y = 0; y < 256; ++y) {
        uint8_t* line = row(y);
        const float v = static_cast<float>(y) / 255.0f;
        for (int x = 0; x < 256; ++x) {
            Put(line + 3 * x, HsvToRgb(state.H, static_cast<float>(x) / 255.0f, v));
        }
    }
    uint8_t* bar = row(270);
    for (int x = 0; x < 360; ++x)
        Put(bar + 3 * x, HsvToRgb(static_cast<float>(x), 1.0f, 1.0f));
    for (int y = 271; y < 280; ++y)
        std::memcpy(row(y), bar, 360 * 3);
    const RgbColour swatch{state.red, state.green, state.blue};
    for (int y = 230; y <= 253; ++y) {
        uint8_t* line = row(y);
        for (int x = 270; x <= 351; ++x)
            Put(line + 3 * x, swatch);
    }
}

std::vector<std::array<int32_t, 2>> EllipseOutline(int32_t left, int32_t top, int32_t right,
                                                   int32_t bottom) {
    std::vector<std::array<int32_t, 2>> points;
    const int32_t w = right - left;
    const int32_t h = bottom - top;
    if (w <= 0 || h <= 0) return points;
    const double cx = left + (w - 1) / 2.0;
    const double cy = top + (h - 1) / 2.0;
    const double a = (w - 1) / 2.0;
    const double b = (h - 1) / 2.0;
    std::vector<uint8_t> seen(static_cast<size_t>(w) * h, 0);
    auto add = [&](int32_t x, int32_t y) {
        if (x < left || x >= right || y < top || y >= bottom) return;
        uint8_t& s = seen[static_cast<size_t>(y - top) * w + (x - left)];
        if (s) return;
        s = 1;
        points.push_back({x, y});
    };
    // Column by column and row by row, so steep and flat parts both stay connected.
    for (int32_t x = left; x < right; ++x) {
        const double u = a > 0 ? (x - cx) / a : 0.0;
        const double d = b * std::sqrt(std::max(0.0, 1.0 - u * u));
        add(x, static_cast<int32_t>(std::lround(cy - d)));
        add(x, static_cast<int32_t>(std::lround(cy + d)));
    }
    for (int32_t y = top; y < bottom; ++y) {
        const double u = b > 0 ? (y - cy) / b : 0.0;
        const double d = a * std::sqrt(std::max(0.0, 1.0 - u * u));
        add(static_cast<int32_t>(std::lround(cx - d)), y);
        add(static_cast<int32_t>(std::lround(cx + d)), y);
    }
    return points;
}

void ComposeHsvCanvas(const HsvState& state, const HsvPicture& picture, int width, int height,
                      uint32_t background, std::vector<uint8_t>& canvas) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    canvas.resize(static_cast<size_t>(width) * height * 3);
    const uint8_t bg[3] = {static_cast<uint8_t>(background & 0xFF),
                           static_cast<uint8_t>((background >> 8) & 0xFF),
                           static_cast<uint8_t>((background >> 16) & 0xFF)};
    for (size_t i = 0; i < canvas.size(); i += 3)
        std::memcpy(&canvas[i], bg, 3);
    const int copyWidth = std::clamp(width - kHsvPictureX, 0, kHsvPictureWidth);
    const int copyHeight = std::clamp(height - kHsvPictureY, 0, kHsvPictureHeight);
    for (int y = 0; y < copyHeight; ++y) {
        std::memcpy(&canvas[(static_cast<size_t>(y + kHsvPictureY) * width + kHsvPictureX) * 3],
                    &picture.rgb[static_cast<size_t>(y) * kHsvPictureWidth * 3],
                    static_cast<size_t>(copyWidth) * 3);
    }
    auto invert = [&](const std::vector<std::array<int32_t, 2>>& outline) {
        for (const auto& p : outline) {
            if (p[0] < 0 || p[0] >= width || p[1] < 0 || p[1] >= height) continue;
            uint8_t* at = &canvas[(static_cast<size_t>(p[1]) * width + p[0]) * 3];
            at[0] = static_cast<uint8_t>(~at[0]);
            at[1] = static_cast<uint8_t>(~at[1]);
            at[2] = static_cast<uint8_t>(~at[2]);
        }
    };
    const int32_t h = state.HueField();
    invert(EllipseOutline(h + 6, 0, h + 14, 10));
    const int32_t s = state.SaturationField();
    const int32_t v = state.ValueField();
    invert(EllipseOutline(s + 5, 275 - v, s + 15, 285 - v));
}

}  // namespace zarni
