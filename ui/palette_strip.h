// The seam between the main window and the tool palette that fills its top strip.
#pragma once

class wxDC;
class wxMouseEvent;

namespace zarni {

// The palette's strip across the top of the main window's client area. The main window
// reserves it, paints it through Paint and passes its own client-area mouse events on.
class PaletteStrip {
  public:
    static constexpr int kHeight = 40;

    virtual ~PaletteStrip() = default;
    // Copies the strip into the main window's paint DC at (0, 0).
    virtual void Paint(wxDC& dc) = 0;
    virtual void OnMouse(wxMouseEvent& event) = 0;
    // Whether a drag on the palette is under way.
    virtual bool Dragging() const = 0;
    // The idle poll, run when no view drag is in progress.
    virtual void IdlePoll() = 0;
    // Draws the strip again from the present state.
    virtual void Redraw() = 0;
    // The main window changed size: the strip follows its width.
    virtual void Resized() = 0;
};

// Redraws the palette of the main window, when it has one.
void RedrawPalette();

}  // namespace zarni
