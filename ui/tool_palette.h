// The tool palette strip across the top of the main window: it draws the palette's draw list
// into a back buffer, copies it to the window, and hands the mouse to the palette machine.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/palette_strip.h"

class wxFrame;

namespace zarni {

class PaletteMachine;

// Makes the palette of `frame`, whose client area the strip heads.
std::unique_ptr<PaletteStrip> CreateToolPalette(wxFrame* frame);

// The palette machine of the main window's palette, or null (tests drive and read it).
PaletteMachine* ThePaletteMachine();

// A text as the palette drew it last: where it starts and how wide it came out.
struct PaletteShownText {
    std::string text;
    int x = 0;
    int width = 0;
};
// The texts of the palette's last drawing, for tests that read what the user sees.
std::vector<PaletteShownText> PaletteShownTexts();

// Shows or hides the object list; set by the object list once it exists.
extern std::function<void()> g_toggleObjectList;

}  // namespace zarni
