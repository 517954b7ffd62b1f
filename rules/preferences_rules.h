// What the preferences sheet ("Preference") shows on its three pages and what OK applies and
// writes, page by page, without a display.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/document.h"
#include "model/settings.h"

namespace zarni {

// The working colours of the view page, in button order.
enum PreferenceColor : int { kPrefBack = 0, kPrefWire, kPrefHandle, kPrefOtherObject };
constexpr int kPreferenceColorCount = 4;

// Longest number the camera and axes boxes take: with 7 digits every value typed in tenths
// survives the trip through a 32-bit float and back.
constexpr unsigned kPreferenceNumberDigits = 7;

// A length in tenths as the page shows it: 10 x the value rounded to the nearest, so that what
// was typed is what comes back (87 is held as 8.6999998 and shown as 87 again). Negative and
// absurd values from a hand-edited file saturate at 0 and 4294967295.
uint32_t TenthsShown(float value);
// The length a number of tenths stands for.
float LengthOfTenths(uint32_t tenths);

// The view page: colours (colour values, red in the low byte), altitude and axes size in
// tenths, field of view in degrees, and "Synchronize View".
struct ViewPageValues {
    std::array<uint32_t, kPreferenceColorCount> colors{};
    uint32_t altitudeTenths = 0;
    uint32_t fovy = 0;
    uint32_t axesSizeTenths = 0;
    bool synchronize = false;
};
ViewPageValues ViewPageFrom(const Settings& settings);
// The values held to the ranges the settings file is read with: altitude 1..9999999 tenths,
// field of view 1..179 degrees, axes size 0..9999999 tenths.
ViewPageValues HeldViewPage(ViewPageValues values);

// The picture ratio box's range; a typed number outside it is taken as its nearest end.
constexpr uint32_t kMinPictureRatio = 32;
constexpr uint32_t kMaxPictureRatio = 1000;
int32_t HeldPictureRatio(uint32_t typed);

// The background-picture page's own value; its slots and ratio act at once, not on OK.
struct BackPicturePageValues {
    bool visible = false;
};
BackPicturePageValues BackPicturePageFrom(const EditSwitches& sw);

// The control page's three check boxes.
struct ControlPageValues {
    bool buttonHandle = true;  // "Right/Middle Button Control Handle"
    bool minimumDrawing = false;
    bool show3DPos = false;
    bool adaptiveDetail = true;  // "Adaptive detail while dragging"
};
ControlPageValues ControlPageFrom(int32_t controlFlags);
int32_t ControlFlagsOf(const ControlPageValues& values);

// What OK applies: the values of each page that was shown; a page never shown has none and
// changes and writes nothing.
struct PreferencePages {
    std::optional<ViewPageValues> view;
    std::optional<BackPicturePageValues> backPicture;
    std::optional<ControlPageValues> control;
};

// What the program state the sheet changes is made of.
struct PreferenceTargets {
    Settings& settings;
    EditSwitches& sw;
    Document& doc;
    float& fovyInUse;  // the field of view the views draw with
};

struct PreferenceOutcome {
    bool written = true;           // false when a key could not be written
    bool documentChanged = false;  // the picture or control page was applied
};

// OK: applies the shown pages in page order and writes their keys to `path`. The view page
// sets the four colours, the default altitude (used when a camera is reset), the field of view
// (in use from the next redraw), the axes size (each held as HeldViewPage holds it) and the
// synchronised redraw; the picture page sets and writes "BackPicture"/"Visible"; the control page
// "Control"/"Flags". Applying the picture or the control page ends with DocumentChanged.
PreferenceOutcome ApplyPreferences(const PreferencePages& pages, const PreferenceTargets& to,
                                   const std::string& path);

}  // namespace zarni
