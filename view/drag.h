// The editing state machine of the 3D views: moving points and handles, scaling and turning
// handles, the rubber band, drawing curves segment by segment, welding, the camera drags, the
// idle step that keeps drags alive outside the view, and the view's key commands. Display-free:
// the window side translates its events into the small structs below and implements ViewHost.
#pragma once

#include <array>
#include <cstdint>

#include "model/document.h"
#include "model/settings.h"
#include "view/camera.h"
#include "view/selection.h"

namespace zarni {

// The states of DragState.
enum DragStateValue : int32_t {
    kDragIdle = 0,
    kDragMovePoints = 1,
    kDragScaleHandles = 2,
    kDragRubberBand = 3,
    kDragTurnHandles = 4,
    kDragCurveStartHandle = 11,
    kDragCurveEndPoint = 12,
    kDragCurveEndHandle = 13,
    kDragNextEndPoint = 22,
    kDragNextEndHandle = 23,
    kDragOrbit = 201,
    kDragPan = 202,
};

// Logical mouse buttons (after any left/right swap), also the bits of a button state.
enum class MouseButton : uint8_t { Left = 1, Right = 2, Middle = 4 };

enum class MouseAction : uint8_t { Move, Down, Up };

// One mouse message of the current view: the cursor in its client pixels (y downwards; outside
// the view it may be negative or beyond the size) and the modifiers held.
struct ViewMouseEvent {
    MouseAction action = MouseAction::Move;
    MouseButton button = MouseButton::Left;  // unused for Move
    CursorPoint pos;
    ModifierKeys keys;
};

// Key codes of ViewKeyEvent: letters and main-keyboard digits are their upper-case characters
// ('A', '0'); the rest have the values below.
enum ViewKey : int32_t {
    kKeyUp = 0x26,
    kKeyDown = 0x28,
    kKeyNumpad0 = 0x60,  // kKeyNumpad0 + d for keypad digit d
    kKeyF4 = 0x73,
    kKeyF12 = 0x7B,
};

struct ViewKeyEvent {
    int32_t key = 0;
    ModifierKeys keys;
};

// What a point pick reports (PointPick of the GL picking): the point or -1, the number of hit
// records and the points of the first and the last record (-1 without records). The weld
// gesture decides by them.
struct PickResult {
    int32_t index = -1;
    int32_t hitCount = 0;
    int32_t firstName = -1;
    int32_t lastName = -1;
};

// The segment being drawn with the mouse, Q0..Q3, shown while `active`.
struct CurveDraft {
    bool active = false;
    std::array<Vec3, 4> q{};
};

// The dotted rectangle of a rubber-band drag, in client pixels of the current view.
struct RubberBand {
    bool visible = false;
    CursorPoint from;
    CursorPoint to;
};

// The window side of the views, as the state machine needs it. Every call names the view the
// event came to (the current view); its GL context is current during picks and CursorToModel.
class ViewHost {
  public:
    virtual ~ViewHost() = default;

    // Point pick at a cursor position (selection mode or its equal).
    virtual PickResult PickPoint(ViewCamera& view, CursorPoint at) = 0;
    // Rectangle pick: selects per Shift, Ctrl and IntersectSelect, puts the new active point's
    // position into `dragOrigin`, returns the last hit or -1.
    virtual int32_t PickRectangle(ViewCamera& view, int32_t left, int32_t top, int32_t width,
                                  int32_t height, ModifierKeys keys, Vec3& dragOrigin) = 0;
    // The model point under the cursor on the plane through `dragOrigin` (CursorToModel with
    // the depth buffer of the view's last picture).
    virtual Vec3 CursorToModel(ViewCamera& view, CursorPoint at, Vec3 dragOrigin) = 0;
    // Monotonic milliseconds, wrapping at 32 bits.
    virtual uint32_t TickCount() = 0;
    virtual uint32_t DoubleClickTime() = 0;
    // The logical buttons held now, as MouseButton bits.
    virtual uint8_t ButtonsDown() = 0;
    // The cursor now, in client pixels of `view`; true when it lies inside the client area.
    virtual bool CursorInView(ViewCamera& view, CursorPoint& at) = 0;

    // Every laid-out view needs a new picture (drawn once the events waiting are handled).
    virtual void RedrawAllViews() = 0;
    // One view needs a new picture.
    virtual void RedrawView(ViewCamera& view) = 0;
    // The view switched between perspective and orthographic: its projection is loaded again
    // and its matrices saved (what a resize does) before the next cursor mapping.
    virtual void ReloadProjection(ViewCamera& view) = 0;
    // The rubber band appeared, moved or went away: draw it over the view's picture (read it
    // from ViewEditor::rubberBand()).
    virtual void RubberBandChanged(ViewCamera& view) = 0;
    virtual void RedrawPalette() = 0;
    virtual void ToggleViewLayout() = 0;
};

// Quick-click limit of the rubber band, weld search radius is FindNearestPoint's.
constexpr uint32_t kQuickClickMs = 250;

// The process-wide editing state of the views and its transitions.
class ViewEditor {
  public:
    ViewEditor(Document& doc, EditSwitches& sw, CameraMemories& cameras, const Settings& settings,
               ViewHost& host)
        : doc_(doc), sw_(sw), cameras_(cameras), settings_(settings), host_(host) {}

    // One mouse message of the current view.
    void Mouse(ViewCamera& view, const ViewMouseEvent& event);
    void MouseMove(ViewCamera& view, CursorPoint pos, ModifierKeys keys = {});
    void LeftDown(ViewCamera& view, CursorPoint pos, ModifierKeys keys = {});
    void LeftUp(ViewCamera& view, CursorPoint pos, ModifierKeys keys = {});
    void RightDown(ViewCamera& view, CursorPoint pos, ModifierKeys keys = {});
    void RightUp(ViewCamera& view, CursorPoint pos, ModifierKeys keys = {});
    void MiddleDown(ViewCamera& view, CursorPoint pos, ModifierKeys keys = {});
    void MiddleUp(ViewCamera& view, CursorPoint pos, ModifierKeys keys = {});

    // A key press; true when the key was a command of the view.
    bool Key(ViewCamera& view, const ViewKeyEvent& event);
    // A typed character: the zoom characters. True when `ch` was one.
    bool Char(ViewCamera& view, int ch);
    // The wheel: away from the user zooms out one step, towards the user in.
    bool Wheel(ViewCamera& view, int delta);

    // Called whenever the event queue runs empty: a drag whose cursor left the current view
    // goes on with a move, or ends when its button is no longer held.
    void IdleStep(ViewCamera& current);

    int32_t dragState() const { return state_; }
    bool dragging() const { return state_ != kDragIdle; }
    // Points are left out of the picture of the view whose camera is dragged.
    bool cameraDragging() const { return cameraDragging_; }
    bool CameraDragged(const ViewCamera& view) const {
        return cameraDragging_ && draggedCamera_ == &view;
    }
    const CurveDraft& curve() const { return curve_; }
    const RubberBand& rubberBand() const { return band_; }
    Vec3 dragOrigin() const { return dragOrigin_; }
    void setDragOrigin(Vec3 origin) { dragOrigin_ = origin; }

  private:
    void DragRedraw(ViewCamera& view);
    bool PressOnAPoint(ViewCamera& view, CursorPoint pos, ModifierKeys keys, int32_t handleDrag);
    void EndPointDrag();
    void Weld(ViewCamera& view, CursorPoint pos);
    void ScaleHandles(const ViewCamera& view, CursorPoint pos);
    void TurnHandles(const ViewCamera& view, CursorPoint pos);
    void EndCurve();
    void ChangeObject(ViewCamera& view, int step);
    void CameraChanged(ViewCamera& view);

    Document& doc_;
    EditSwitches& sw_;
    CameraMemories& cameras_;
    const Settings& settings_;
    ViewHost& host_;

    int32_t state_ = kDragIdle;
    bool cameraDragging_ = false;
    const ViewCamera* draggedCamera_ = nullptr;
    uint8_t buttonState_ = 0;
    // Start of the last rubber band: a second press soon after it starts a curve.
    uint32_t lastClickTime_ = 0;
    bool clickPending_ = false;
    CursorPoint prevCursor_;
    CursorPoint dragStart_;
    Vec3 dragOrigin_;
    CurveDraft curve_;
    RubberBand band_;
    ModifierKeys lastKeys_;
};

}  // namespace zarni
