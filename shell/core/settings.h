// The settings loaded from the settings file at start-up, and the writers that store them back.
#pragma once

#include <cstdint>
#include <string>

#include "model/settings.h"

namespace zarni {

// Reads the start-up keys from the settings file at `path`. Values are used as read, without
// range checks, as the program always did: a hand-edited "Fovy" of 500 gives 500 degrees, and
// since the file's integers read as unsigned, a stored -1 becomes 4294967295 for the float
// values and -1 again for the integer ones.
Settings LoadSettings(const std::string& path);

// Writers for the owners that store keys after a change, each as signed decimal text. They
// return false when the file could not be written.

// The view page's keys: the four colours, "DefaultAltitude" and "AxesSize" in tenths, "Fovy"
// and "fSynchronize". Tenths are rounded to the nearest, so an altitude held as the float
// nearest 8.7 is stored as 87; degrees are truncated.
bool SaveViewSettings(const Settings& settings, const std::string& path);
bool SaveControlFlags(int32_t controlFlags, const std::string& path);
bool SaveBackPictureVisible(int32_t visible, const std::string& path);
bool SaveDivLevel(int32_t divLevel, const std::string& path);

}  // namespace zarni
