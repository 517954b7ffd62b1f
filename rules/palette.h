// The tool palette's rules without a display: the 46 cells, hit tests, what each cell shows,
// the coordinate fields and their rounding, and the press / drag / release machine. The wx strip
// draws the draw list and forwards the mouse; everything it does goes through a host.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/document.h"
#include "view/axis_edit.h"

namespace zarni {

constexpr int kPaletteCellCount = 46;
constexpr int kPaletteHeight = 40;

// Cells with a role the machine refers to by number.
enum PaletteCellId : int {
    kCellObjectTab = 0,
    kCellLabel = 1,
    kCellViewCount = 2,
    kCellDisplayMode = 3,
    kCellDivLevel = 4,
    kCellShowAll = 5,
    kCellUndo = 6,
    kCellRedo = 7,
    kCellBackPicture = 8,
    kCellHandleMode = 9,
    kCellEditMode = 10,
    kCellPivotMode = 11,
    kCellLockX = 12,
    kCellFieldX = 13,
    kCellLockY = 18,
    kCellFieldY = 19,
    kCellLockZ = 24,
    kCellFieldZ = 25,
    kCellSelectAll = 30,
    kCellSelectNone = 31,
    kCellInvert = 32,
    kCellIntersect = 33,
    kCellDelete = 34,
    kCellDuplicate = 35,
    kCellExtrude = 36,
    kCellLathe = 37,
    kCellLayer = 39,
    kCellFirstLayerSwitch = 40,
};

struct CellRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    // Hover and presses: left <= x < right, top <= y < bottom.
    bool ContainsHalfOpen(int32_t x, int32_t y) const {
        return left <= x && x < right && top <= y && y < bottom;
    }
    // Releases: the right and bottom edge pixels count too.
    bool ContainsClosed(int32_t x, int32_t y) const {
        return left <= x && x <= right && top <= y && y <= bottom;
    }
};

struct PaletteCell {
    CellRect rect;
    std::array<int, 5> icons{};  // resource ids, 0 for an empty slot
};

// The fixed layout, indexed 0..45.
const std::array<PaletteCell, kPaletteCellCount>& PaletteCells();

// The first cell (in index order) under a point, or -1.
int HitCellHalfOpen(int32_t x, int32_t y);
int HitCellClosed(int32_t x, int32_t y);

// The axis (0 X, 1 Y, 2 Z) of a coordinate field, lock or rounding cell, else -1.
int FieldAxis(int cell);

// The rounding buttons under each field, in order.
enum class Rounding { Zero, Floor, Round, Truncate };

// The target value of a rounding button for the shown value v: one decimal place less each
// press, judged on v formatted with "% 3.4f"; a value whose first three decimals are zero is
// returned unchanged by floor, round and truncate.
double RoundingTarget(double v, Rounding kind);

// The text of a coordinate field: "% 3.4f" with its last character dropped.
std::string FieldText(float v);

// What the current view shows of the background pictures: the slot of its direction.
struct PaletteViews {
    PictureViews views = FourViewLayoutViews();
    int32_t currentSlot = -1;  // -1 when there is no current view
};

// The value a coordinate field shows for axis k: the current point's coordinate (Move), its
// offset from the pivot (Scale) or the angle about the axis in degrees (Rotate); for a handle
// everything is taken from its anchor; 0 with an active object and no current point; with no
// object active, the current view's picture's position, scale or rotation.
float PaletteFieldValue(const Document& doc, const EditSwitches& sw, const PaletteViews& views,
                        int axis);

// One thing the strip draws: an icon or a text at a position (client pixels).
struct PaletteDrawItem {
    enum class Kind { Icon, Text } kind = Kind::Icon;
    int32_t x = 0, y = 0;
    int icon = 0;      // Kind::Icon
    std::string text;  // Kind::Text, UTF-8
    // Kind::Text: the pixels the text may take to its right before it runs under the next
    // cell; 0 for no limit. A text wider in the UI font is drawn smaller.
    int32_t room = 0;

    bool operator==(const PaletteDrawItem& o) const {
        return kind == o.kind && x == o.x && y == o.y && icon == o.icon && text == o.text &&
               room == o.room;
    }
};

// Everything the strip shows for the present state, in drawing order, over the background
// and the two border lines that the strip draws first.
std::vector<PaletteDrawItem> PaletteDrawList(const Document& doc, const EditSwitches& sw,
                                             const PaletteViews& views, bool fourViews,
                                             int hoverCell);

// Whether a cell is drawn and takes clicks in the present mode (cells 11, 34 and 35 are
// hidden in handle mode; 6, 7 and 38 are never drawn).
bool CellDrawn(int cell, const EditSwitches& sw);

// The icon a cell shows in the present state (0 for none).
int CellIcon(int cell, const EditSwitches& sw, bool fourViews);

struct PalettePoint {
    int32_t x = 0, y = 0;
};

// Mouse buttons in a press's button set.
enum PaletteButtons : uint8_t { kPalettePrimary = 1, kPaletteSecondary = 2, kPaletteMiddle = 4 };

// What the palette asks of the program around it.
class PaletteHost {
  public:
    virtual ~PaletteHost() = default;
    // The cursor now, in main-window client pixels and on the screen.
    virtual PalettePoint CursorClient() = 0;
    virtual PalettePoint CursorScreen() = 0;
    virtual int32_t ClientWidth() = 0;
    virtual uint32_t TickCount() = 0;
    virtual uint32_t DoubleClickTime() = 0;
    virtual int32_t DoubleClickWidth() = 0;
    // The buttons held now, as PaletteButtons bits (primary is the left button).
    virtual uint8_t ButtonsDown() = 0;
    // Whether a view's drag is under way; the palette then ignores the mouse.
    virtual bool ViewDragging() = 0;
    virtual PaletteViews Views() = 0;
    virtual bool FourViews() = 0;

    // Draw the strip again (render and show it).
    virtual void RedrawPalette() = 0;
    virtual void RedrawAllViews() = 0;
    virtual void ToggleObjectList() = 0;
    virtual void ToggleViewLayout() = 0;
    virtual void CycleDisplayModes() = 0;
    // A main-window menu command (Undo, Redo).
    virtual void SendCommand(int id) = 0;
    virtual void ExtrudeWithDialog() = 0;
    virtual void LatheWithDialog() = 0;
    // Stores the subdivision level in the settings file.
    virtual void SaveDivLevel(int32_t level) = 0;
    // The palette started or ended a drag (the window captures the mouse meanwhile).
    virtual void DragStarted() {}
    virtual void DragEnded() {}
};

// The palette's state and its answers to the mouse.
class PaletteMachine {
  public:
    PaletteMachine(Document& doc, EditSwitches& sw, PaletteHost& host);

    void MouseMove();
    void ButtonDown();
    void ButtonUp();
    // The hover timer's tick.
    void HoverTick();
    // Keeps a drag going while the cursor is outside the strip: a release seen in the button
    // state ends it, anything else is a move.
    void IdlePoll();
    // The window lost the mouse in a drag: ends it as a release would.
    void CaptureLost();
    // The window was resized: nothing is hovered.
    void ResetHover() { hover_ = -1; }

    int hoverCell() const { return hover_; }
    int dragCell() const { return dragCell_; }
    bool dragging() const { return dragCell_ != 0; }

  private:
    void DragStep();
    void EndDrag();
    void RunTool(int cell);
    void RoundingButton(int cell);
    void CoordinatePress(int axis);
    void Changed(bool geometry);

    Document& doc_;
    EditSwitches& sw_;
    PaletteHost& host_;
    int hover_ = -1;
    int dragCell_ = 0;
    PalettePoint origin_;
    int32_t lastDragX_ = 0;
    float dragStartValue_ = 0.0f;
    uint8_t buttons_ = 0;
    uint32_t lastCoordinateClick_ = 0;
    bool clickedOnce_ = false;
    // The mode cell's all-axes edit ran in this drag: its release ends a drag, not a click,
    // wherever the cursor came back to.
    bool allAxesRan_ = false;
    int lastClickAxis_ = -1;
    PalettePoint lastClickAt_;
};

}  // namespace zarni
