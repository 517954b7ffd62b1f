// The preferences sheet's pages without a display: the values they open with and what OK does.
#include "rules/preferences_rules.h"

#include <algorithm>
#include <cmath>

#include "formats/settings_file.h"

namespace zarni {

uint32_t TenthsShown(float value) {
    const double tenths = std::floor(10.0 * static_cast<double>(value) + 0.5);
    if (!(tenths > 0.0)) return 0;  // NaN too
    if (tenths >= 4294967295.0) return 4294967295u;
    return static_cast<uint32_t>(tenths);
}

float LengthOfTenths(uint32_t tenths) {
    return static_cast<float>(tenths / 10.0);
}

ViewPageValues ViewPageFrom(const Settings& s) {
    ViewPageValues v;
    v.colors[kPrefBack] =
        ColorValueFromFloats(s.backColorRGBA[0], s.backColorRGBA[1], s.backColorRGBA[2]);
    v.colors[kPrefWire] = ColorValueFromFloats(s.wireColor[0], s.wireColor[1], s.wireColor[2]);
    v.colors[kPrefHandle] =
        ColorValueFromFloats(s.handleColor[0], s.handleColor[1], s.handleColor[2]);
    v.colors[kPrefOtherObject] =
        ColorValueFromFloats(s.otherObjectColor[0], s.otherObjectColor[1], s.otherObjectColor[2]);
    v.altitudeTenths = TenthsShown(s.defaultAltitude);
    // Degrees are whole numbers unless the file said otherwise; shown truncated.
    v.fovy = s.fovy > 0.0f && s.fovy < 4294967295.0f ? static_cast<uint32_t>(s.fovy) : 0;
    v.axesSizeTenths = TenthsShown(s.axesSize);
    v.synchronize = s.synchronize != 0;
    return v;
}

ViewPageValues HeldViewPage(ViewPageValues v) {
    auto held = [](uint32_t value, int32_t low, int32_t high) {
        return std::clamp(value, static_cast<uint32_t>(low), static_cast<uint32_t>(high));
    };
    v.altitudeTenths = held(v.altitudeTenths, kMinAltitudeTenths, kMaxLengthTenths);
    v.fovy = held(v.fovy, kMinFovy, kMaxFovy);
    v.axesSizeTenths = held(v.axesSizeTenths, 0, kMaxLengthTenths);
    return v;
}

int32_t HeldPictureRatio(uint32_t typed) {
    return static_cast<int32_t>(std::clamp<uint32_t>(typed, kMinPictureRatio, kMaxPictureRatio));
}

BackPicturePageValues BackPicturePageFrom(const EditSwitches& sw) {
    return {sw.backPictureVisible != 0};
}

ControlPageValues ControlPageFrom(int32_t flags) {
    ControlPageValues v;
    v.buttonHandle = (flags & kControlNoButtonHandle) == 0;
    v.minimumDrawing = (flags & kControlMinimumDrawing) != 0;
    v.show3DPos = (flags & kControlShow3DPos) != 0;
    v.adaptiveDetail = (flags & kControlFullDetailAlways) == 0;
    return v;
}

int32_t ControlFlagsOf(const ControlPageValues& v) {
    return (v.buttonHandle ? 0 : kControlNoButtonHandle) |
           (v.minimumDrawing ? kControlMinimumDrawing : 0) | (v.show3DPos ? kControlShow3DPos : 0) |
           (v.adaptiveDetail ? 0 : kControlFullDetailAlways);
}

PreferenceOutcome ApplyPreferences(const PreferencePages& pages, const PreferenceTargets& to,
                                   const std::string& path) {
    PreferenceOutcome out;
    Settings& s = to.settings;
    if (pages.view) {
        const ViewPageValues& v = *pages.view;
        const std::array<float, 3> back = ColorFromValue(v.colors[kPrefBack]);
        s.backColorRGBA = {{back[0], back[1], back[2], s.backColorRGBA[3]}};
        s.wireColor = ColorFromValue(v.colors[kPrefWire]);
        s.handleColor = ColorFromValue(v.colors[kPrefHandle]);
        s.otherObjectColor = ColorFromValue(v.colors[kPrefOtherObject]);
        // Typed numbers are held to the ranges the settings file is read with, so what OK
        // applies is what the next start reads back.
        const ViewPageValues held = HeldViewPage(v);
        s.defaultAltitude = LengthOfTenths(held.altitudeTenths);
        s.fovy = static_cast<float>(held.fovy);
        to.fovyInUse = s.fovy;
        s.axesSize = LengthOfTenths(held.axesSizeTenths);
        s.synchronize = v.synchronize ? 1 : 0;
        out.written = SaveViewSettings(s, path) && out.written;
    }
    if (pages.backPicture) {
        const int32_t visible = pages.backPicture->visible ? 1 : 0;
        s.backPictureVisible = visible;
        to.sw.backPictureVisible = visible;
        out.written = SaveBackPictureVisible(visible, path) && out.written;
        DocumentChanged(to.doc, to.sw);
        out.documentChanged = true;
    }
    if (pages.control) {
        s.controlFlags = ControlFlagsOf(*pages.control);
        out.written = SaveControlFlags(s.controlFlags, path) && out.written;
        DocumentChanged(to.doc, to.sw);
        out.documentChanged = true;
    }
    return out;
}

}  // namespace zarni
