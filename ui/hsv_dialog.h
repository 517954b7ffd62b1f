// The program's only colour chooser ("HSVDialog"): hue, saturation and value with a picture of
// the hue bar and the saturation-value square, and a side panel of named colours.
#pragma once

#include <cstdint>

class wxWindow;

namespace zarni {

// Asks for a colour, starting from `colour`. Colours are colour values with red in the low
// byte, then green, then blue. Returns the chosen colour after OK and `colour` unchanged after
// Cancel or the close box.
uint32_t ChooseColorHSV(wxWindow* owner, uint32_t colour);

}  // namespace zarni
