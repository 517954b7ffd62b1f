// Loading the start-up settings and writing them back.
#include "shell/core/settings.h"

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

std::array<float, 3> ReadColor(const char* key, int32_t defaultValue, const std::string& path) {
    return ColorFromValue(GetProfileInt("View", key, defaultValue, path));
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

Settings LoadSettings(const std::string& path) {
    Settings s;
    const std::array<float, 3> back = ReadColor("BackColor", kDefaultBackColor, path);
    s.backColorRGBA = {{back[0], back[1], back[2], 1.0f}};
    s.wireColor = ReadColor("WireColor", kDefaultWireColor, path);
    s.handleColor = ReadColor("HandleColor", kDefaultHandleColor, path);
    s.otherObjectColor = ReadColor("OtherObjectColor", kDefaultOtherObjectColor, path);
    s.defaultAltitude = static_cast<float>(
        GetProfileInt("View", "DefaultAltitude", kDefaultAltitudeTenths, path) / 10.0);
    s.fovy = static_cast<float>(GetProfileInt("View", "Fovy", kDefaultFovy, path));
    s.axesSize =
        static_cast<float>(GetProfileInt("View", "AxesSize", kDefaultAxesSizeTenths, path) / 10.0);
    s.synchronize = static_cast<int32_t>(GetProfileInt("View", "fSynchronize", 1, path));
    s.divLevel = static_cast<int32_t>(GetProfileInt("DefaultValue", "DivLevel", 6, path));
    s.backPictureVisible = static_cast<int32_t>(GetProfileInt("BackPicture", "Visible", 0, path));
    s.controlFlags = static_cast<int32_t>(GetProfileInt("Control", "Flags", 0, path));
    return s;
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

}  // namespace zarni
