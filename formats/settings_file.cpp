// Loading the start-up settings and writing them back.
#include "formats/settings_file.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/profile.h"

namespace zarni {

namespace {

// Truncation toward zero, saturated so that absurd values read from a hand-edited file cannot
// make the conversion undefined.
int32_t TruncToInt32(double v) {
    if (std::isnan(v)) return 0;
    if (v <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
        return std::numeric_limits<int32_t>::min();
    }
    if (v >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(v);
}

bool WriteColor(const char* key, const std::array<float, 3>& rgb, const std::string& path) {
    const uint32_t value = ColorValueFromFloats(rgb[0], rgb[1], rgb[2]);
    return WriteProfileInt("View", key, static_cast<int32_t>(value), path);
}

// Tenths of a model unit as stored: 10 x the float rounded to the nearest, so a value typed in
// tenths, held as the float nearest value / 10 and written again is the value typed (87, held
// as 8.6999998, truncated would give 86).
int32_t TenthsOf(float value) {
    return TruncToInt32(std::floor(10.0 * static_cast<double>(value) + 0.5));
}

}  // namespace

float HeldFovy(float degrees, float fallback) {
    if (std::isnan(degrees)) return fallback;
    return std::clamp(degrees, static_cast<float>(kMinFovy), static_cast<float>(kMaxFovy));
}

float HeldAltitude(float length, float fallback) {
    if (std::isnan(length)) return fallback;
    return std::clamp(length, kMinAltitudeTenths / 10.0f, kMaxLengthTenths / 10.0f);
}

Settings SettingsFrom(const ProfileText& file) {
    // The stored integers read as unsigned; as signed they are what was written, so a stored -5
    // is below a range, not far above it.
    auto held = [&file](const char* section, const char* key, int32_t defaultValue, int32_t low,
                        int32_t high) {
        const auto value = static_cast<int32_t>(file.Int(section, key, defaultValue));
        return std::clamp(value, low, high);
    };
    auto color = [&file](const char* key, int32_t defaultValue) {
        return ColorFromValue(file.Int("View", key, defaultValue));
    };
    Settings s;
    const std::array<float, 3> back = color("BackColor", kDefaultBackColor);
    s.backColorRGBA = {{back[0], back[1], back[2], 1.0f}};
    s.wireColor = color("WireColor", kDefaultWireColor);
    s.handleColor = color("HandleColor", kDefaultHandleColor);
    s.otherObjectColor = color("OtherObjectColor", kDefaultOtherObjectColor);
    s.defaultAltitude = static_cast<float>(held("View", "DefaultAltitude", kDefaultAltitudeTenths,
                                                kMinAltitudeTenths, kMaxLengthTenths) /
                                           10.0);
    s.fovy = static_cast<float>(held("View", "Fovy", kDefaultFovy, kMinFovy, kMaxFovy));
    s.axesSize = static_cast<float>(
        held("View", "AxesSize", kDefaultAxesSizeTenths, 0, kMaxLengthTenths) / 10.0);
    s.synchronize = file.Int("View", "fSynchronize", 1) != 0 ? 1 : 0;
    s.divLevel = held("DefaultValue", "DivLevel", 6, kMinDivLevel, kMaxDivLevel);
    s.backPictureVisible = file.Int("BackPicture", "Visible", 0) != 0 ? 1 : 0;
    s.controlFlags = static_cast<int32_t>(file.Int("Control", "Flags", 0) & kKnownControlFlags);
    return s;
}

Settings LoadSettings(const std::string& path) {
    return SettingsFrom(ReadProfile(path));
}

bool SettingsInRange(const Settings& s) {
    auto unit = [](float c) { return c >= 0.0f && c <= 1.0f; };
    for (float c : s.backColorRGBA)
        if (!unit(c)) return false;
    for (const std::array<float, 3>* rgb : {&s.wireColor, &s.handleColor, &s.otherObjectColor})
        for (float c : *rgb)
            if (!unit(c)) return false;
    return s.defaultAltitude >= kMinAltitudeTenths / 10.0f &&
           s.defaultAltitude <= kMaxLengthTenths / 10.0f && s.fovy >= kMinFovy &&
           s.fovy <= kMaxFovy && s.axesSize >= 0.0f && s.axesSize <= kMaxLengthTenths / 10.0f &&
           (s.synchronize == 0 || s.synchronize == 1) && s.divLevel >= kMinDivLevel &&
           s.divLevel <= kMaxDivLevel && (s.backPictureVisible == 0 || s.backPictureVisible == 1) &&
           (s.controlFlags & ~kKnownControlFlags) == 0;
}

bool SaveViewSettings(const Settings& s, const std::string& path) {
    const std::array<float, 3> back{{s.backColorRGBA[0], s.backColorRGBA[1], s.backColorRGBA[2]}};
    bool ok = WriteColor("BackColor", back, path);
    ok = WriteColor("WireColor", s.wireColor, path) && ok;
    ok = WriteColor("HandleColor", s.handleColor, path) && ok;
    ok = WriteColor("OtherObjectColor", s.otherObjectColor, path) && ok;
    ok = WriteProfileInt("View", "DefaultAltitude", TenthsOf(s.defaultAltitude), path) && ok;
    ok = WriteProfileInt("View", "Fovy", TruncToInt32(s.fovy), path) && ok;
    ok = WriteProfileInt("View", "AxesSize", TenthsOf(s.axesSize), path) && ok;
    ok = WriteProfileInt("View", "fSynchronize", s.synchronize, path) && ok;
    return ok;
}

bool SaveControlFlags(int32_t controlFlags, const std::string& path) {
    return WriteProfileInt("Control", "Flags", controlFlags, path);
}

bool SaveBackPictureVisible(int32_t visible, const std::string& path) {
    return WriteProfileInt("BackPicture", "Visible", visible, path);
}

bool SaveDivLevel(int32_t divLevel, const std::string& path) {
    return WriteProfileInt("DefaultValue", "DivLevel", divLevel, path);
}

RenderChoices LoadRenderChoices(const std::string& path) {
    const ProfileText file = ReadProfile(path);
    RenderChoices choices;
    const auto quality = static_cast<int32_t>(file.Int("Render", "Quality", 9));
    choices.quality = std::clamp(quality, 0, 11);
    choices.antialias = file.Int("Render", "Antialias", 0) != 0;
    return choices;
}

bool SaveRenderChoices(const RenderChoices& choices, const std::string& path) {
    const bool quality = WriteProfileInt("Render", "Quality", choices.quality, path);
    return WriteProfileInt("Render", "Antialias", choices.antialias ? 1 : 0, path) && quality;
}

TextChoices LoadTextChoices(const std::string& path) {
    const ProfileText file = ReadProfile(path);
    TextChoices choices;
    choices.text = file.String("Text", "Text", choices.text);
    choices.font = file.String("Text", "Font", choices.font);
    const auto size = static_cast<int32_t>(file.Int("Text", "Size", choices.sizeThousandths));
    choices.sizeThousandths = std::clamp(size, kMinTextSize, kMaxTextSize);
    return choices;
}

bool SaveTextChoices(const TextChoices& choices, const std::string& path) {
    const bool text = WriteProfileString("Text", "Text", "\"" + choices.text + "\"", path);
    const bool font = WriteProfileString("Text", "Font", choices.font, path);
    return WriteProfileInt("Text", "Size", choices.sizeThousandths, path) && text && font;
}

}  // namespace zarni
