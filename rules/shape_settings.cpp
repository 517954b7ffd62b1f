// Reading and storing the "Extrude" and "Lathe" sections of the settings file.
#include "rules/shape_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/profile.h"

namespace zarni {

namespace {

const char kExtrude[] = "Extrude";
const char kLathe[] = "Lathe";

}  // namespace

uint32_t DialogUnsigned(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return 0;
    const size_t last = text.find_last_not_of(" \t");
    uint64_t value = 0;
    for (size_t i = first; i <= last; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > UINT32_MAX) return 0;
    }
    return static_cast<uint32_t>(value);
}

ExtrudeSettings LoadExtrudeSettings(const std::string& path) {
    ExtrudeSettings s;
    s.minus = GetProfileInt(kExtrude, "fMinus", kDefaultExtrudeMinus, path) != 0;
    s.axis = static_cast<int32_t>(GetProfileInt(kExtrude, "Axis", kDefaultExtrudeAxis, path));
    const uint32_t length = GetProfileInt(kExtrude, "Length", kDefaultExtrudeLength, path);
    s.length = static_cast<float>(length / 1000.0);
    return s;
}

uint32_t ExtrudeLengthShown(float length) {
    const double shown = std::round(1000.0 * static_cast<double>(length));
    if (!(shown > 0.0)) return 0;
    return shown >= 4294967295.0 ? UINT32_MAX : static_cast<uint32_t>(shown);
}

bool ConfirmExtrudeSettings(ExtrudeSettings& settings, bool minus, int32_t axisButton,
                            uint32_t lengthThousandths, const std::string& path) {
    settings.minus = minus;
    bool ok = WriteProfileInt(kExtrude, "fMinus", minus ? 1 : 0, path);
    if (axisButton >= 1 && axisButton <= 3) {
        settings.axis = axisButton;
        ok = WriteProfileInt(kExtrude, "Axis", axisButton, path) && ok;
    }
    // Stored as signed text; the unsigned read gives the same number back.
    ok = WriteProfileInt(kExtrude, "Length", static_cast<int32_t>(lengthThousandths), path) && ok;
    settings.length = static_cast<float>(lengthThousandths / 1000.0);
    return ok;
}

uint8_t LatheByte(uint32_t value) {
    return static_cast<uint8_t>(value & 0xFF);
}

uint8_t LatheDivLevelFromTyped(uint32_t typed) {
    return static_cast<uint8_t>(std::clamp<int32_t>(LatheByte(typed), 3, 18));
}

LatheSettings LoadLatheSettings(const std::string& path) {
    LatheSettings s;
    s.axis = LatheByte(GetProfileInt(kLathe, "Axis", kDefaultLatheAxis, path));
    s.type = LatheByte(GetProfileInt(kLathe, "Type", kDefaultLatheType, path));
    s.partsCount = LatheByte(GetProfileInt(kLathe, "PartsCount", kDefaultLathePartsCount, path));
    s.divLevel = LatheByte(GetProfileInt(kLathe, "DivLevel", kDefaultLatheDivLevel, path));
    return s;
}

bool ConfirmLatheSettings(LatheSettings& settings, int32_t axisButton, int32_t typeButton,
                          uint32_t partsTyped, uint32_t divTyped, const std::string& path) {
    bool ok = true;
    if (axisButton >= 1 && axisButton <= 3) {
        settings.axis = static_cast<uint8_t>(axisButton);
        ok = WriteProfileInt(kLathe, "Axis", axisButton, path) && ok;
    }
    if (typeButton == kLatheClose || typeButton == kLatheParts) {
        settings.type = static_cast<uint8_t>(typeButton);
        ok = WriteProfileInt(kLathe, "Type", typeButton, path) && ok;
    }
    settings.partsCount = LatheByte(partsTyped);
    ok = WriteProfileInt(kLathe, "PartsCount", settings.partsCount, path) && ok;
    settings.divLevel = LatheDivLevelFromTyped(divTyped);
    ok = WriteProfileInt(kLathe, "DivLevel", settings.divLevel, path) && ok;
    return ok;
}

}  // namespace zarni
