// The settings loaded from the settings file at start-up, and the writers that store them back.
#pragma once

#include <cstdint>
#include <string>

#include "model/settings.h"

namespace zarni {

class ProfileText;

// The ranges a loaded value is held to. The file is read once at start-up and may have been
// edited by hand; a value outside its range is taken as the nearest end of it, so that no
// field ever holds what would break the views: a field of view of 180 degrees or more, a
// camera at or behind its target, a subdivision level that draws nothing or never finishes.
// The ends are those the preferences take: 1..179 degrees, and lengths up to the seven digits
// their boxes hold.
constexpr int32_t kMinFovy = 1;
constexpr int32_t kMaxFovy = 179;
constexpr int32_t kMinAltitudeTenths = 1;  // "DefaultAltitude"; "AxesSize" may be 0
constexpr int32_t kMaxLengthTenths = 9999999;
constexpr int32_t kMinDivLevel = 1;
constexpr int32_t kMaxDivLevel = 20;
constexpr int32_t kKnownControlFlags =
    kControlNoButtonHandle | kControlMinimumDrawing | kControlShow3DPos | kControlFullDetailAlways;

// The same ranges for values that come from elsewhere (a typed number, a document): a field of
// view held to kMinFovy..kMaxFovy, a camera altitude to 0.1 and up to the longest length; a
// value that is no number gives `fallback`.
float HeldFovy(float degrees, float fallback);
float HeldAltitude(float length, float fallback);

// Reads the start-up keys from the settings file at `path` (read once). A stored number is read
// as the signed value it was written as and held to its range above ("Fovy" 500 gives 179,
// "DefaultAltitude" -5 gives 0.1); the switches "fSynchronize" and "BackPicture"/"Visible" are
// on for any value but 0, as they always were; "Control"/"Flags" keeps only the bits the
// program knows; colours use their low three bytes.
Settings LoadSettings(const std::string& path);
// The same from a file's bytes already parsed; any bytes give settings within range.
Settings SettingsFrom(const ProfileText& file);
// Whether every value is within the ranges above (colours within 0..1).
bool SettingsInRange(const Settings& settings);

// Writers for the owners that store keys after a change, each as signed decimal text. They
// return false when the file could not be written.

// The view page's keys: the four colours, "DefaultAltitude" and "AxesSize" in tenths, "Fovy"
// and "fSynchronize". Tenths are rounded to the nearest, so an altitude held as the float
// nearest 8.7 is stored as 87; degrees are truncated.
bool SaveViewSettings(const Settings& settings, const std::string& path);
bool SaveControlFlags(int32_t controlFlags, const std::string& path);
bool SaveBackPictureVisible(int32_t visible, const std::string& path);
bool SaveDivLevel(int32_t divLevel, const std::string& path);

// The render window's choices, section "Render": "Quality" (POV-Ray's 0..11, held to that
// range; default 9) and "Antialias" (on for any value but 0; default off).
struct RenderChoices {
    int32_t quality = 9;
    bool antialias = false;
};
RenderChoices LoadRenderChoices(const std::string& path);
bool SaveRenderChoices(const RenderChoices& choices, const std::string& path);

// The Text dialog's choices, section "Text": the text ("Text", stored in quotes so that blanks
// at its ends survive), the font family ("Font") and the size in thousandths of a unit ("Size",
// held to kMinTextSize..kMaxTextSize).
constexpr int32_t kMinTextSize = 1;
constexpr int32_t kMaxTextSize = 1000000;
struct TextChoices {
    std::string text = "Zarni!";
    std::string font = "IPAPGothic";
    int32_t sizeThousandths = 2000;
};
TextChoices LoadTextChoices(const std::string& path);
bool SaveTextChoices(const TextChoices& choices, const std::string& path);

}  // namespace zarni
