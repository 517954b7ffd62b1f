// The extrude and lathe dialogs' settings: their keys in the settings file's "Extrude" and
// "Lathe" sections, the defaults of a missing key, and the values the dialogs store on OK.
#pragma once

#include <cstdint>
#include <string>

#include "ops/extrude.h"
#include "ops/lathe.h"

namespace zarni {

// Values of missing keys, as stored in the file.
constexpr int32_t kDefaultExtrudeMinus = 0;
constexpr int32_t kDefaultExtrudeAxis = 3;
constexpr int32_t kDefaultExtrudeLength = 600;  // thousandths of a model unit
constexpr int32_t kDefaultLatheAxis = 2;
constexpr int32_t kDefaultLatheType = 0;
constexpr int32_t kDefaultLathePartsCount = 1;
constexpr int32_t kDefaultLatheDivLevel = 4;

// The number in a digits-only edit box as the dialogs read it: unsigned decimal, surrounding
// blanks ignored, 0 when the text is not a number or does not fit 32 bits.
uint32_t DialogUnsigned(const std::string& text);

// The extrude settings as the dialog opens with them: "fMinus" (not 0 = on), "Axis" as read
// (a value outside 1..3 turns no radio button on), "Length" in thousandths.
ExtrudeSettings LoadExtrudeSettings(const std::string& path);

// The length in thousandths the dialog shows. Rounded rather than truncated: a stored 251
// reads as the float just below 0.251, and truncating would show (and on OK store) 250.
uint32_t ExtrudeLengthShown(float length);

// OK in the extrude dialog: stores "fMinus", "Axis" when `axisButton` is 1..3 (0 = no radio
// button on: the axis stays as it was and is not written) and "Length", and updates `settings`
// to what the sweep then uses. False when the file could not be written.
bool ConfirmExtrudeSettings(ExtrudeSettings& settings, bool minus, int32_t axisButton,
                            uint32_t lengthThousandths, const std::string& path);

// A lathe value as its one byte holds it: 260 becomes 4.
uint8_t LatheByte(uint32_t value);

// The division level the dialog keeps for a typed number: its byte, raised to 3 and lowered
// to 18, so 2 gives 3, 25 gives 18 and 260 gives 4.
uint8_t LatheDivLevelFromTyped(uint32_t typed);

// The lathe settings as the dialog opens with them: each key's byte, not clamped.
LatheSettings LoadLatheSettings(const std::string& path);

// OK in the lathe dialog: "Axis" when `axisButton` is 1..3 and "Type" when `typeButton` is 0
// or 1 (other values: no radio button on, the setting stays and is not written), then
// "PartsCount" as a byte and "DivLevel" through LatheDivLevelFromTyped; `settings` takes the
// same values. False when the file could not be written.
bool ConfirmLatheSettings(LatheSettings& settings, int32_t axisButton, int32_t typeButton,
                          uint32_t partsTyped, uint32_t divTyped, const std::string& path);

}  // namespace zarni
