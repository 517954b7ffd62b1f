// The four OpenGL views ("GLPanel"): their contexts, the one- and four-view layouts, the deferred
// redraw requests, the 149 ms timer (redraw of what changed, cursor shape, position read-out, focus
// following the mouse), and the window side of the editing state machine: mouse, keys, wheel,
// picks and the rubber band.
#pragma once

#include <wx/glcanvas.h>
#include <wx/timer.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "gl/scene.h"
#include "gl/textures.h"
#include "view/camera.h"
#include "view/detail_governor.h"
#include "view/drag.h"
#include "view/hint.h"

namespace zarni {

class ViewSet;
class HintWindow;

class ViewPanel : public wxGLCanvas {
  public:
    // The view's context shares its GL objects with `share` (the first view's), so a texture
    // made in any view is valid in every one; a context that cannot share stands alone.
    ViewPanel(wxWindow* parent, ViewSet& set, int index, const wxGLAttributes& attributes,
              const wxGLContext* share);

    int index() const { return index_; }
    ViewCamera camera;
    // Position and size as fractions of the view area, and the rectangle laid out from them
    // in client coordinates of the main window.
    float fracLeft = 0.0f, fracTop = 0.0f, fracWidth = 0.0f, fracHeight = 0.0f;
    wxRect rect;

    // Makes the context current and draws the view now; false when it cannot be drawn yet
    // (not on screen, no context, zero size). A drawn view is no longer marked. With `slices`,
    // the walk draws what fits before `deadline` into the back buffer and the picture is shown
    // only once its last piece is drawn (false until then; `slices` says how far it got).
    bool Render(FrameSlices* slices = nullptr,
                FrameSlices::Clock::time_point deadline = FrameSlices::Clock::time_point::max());
    // Loads the projection and saves the matrices the cursor mapping reads, drawing nothing.
    void LoadMatrices();
    // The level of detail of the picture on screen.
    const DetailLevel& shownLevel() const { return shownLevel_; }
    // Whether a picture drawn in slices is under way (the screen still shows the one before).
    bool frameInProgress() const { return slices_.inProgress(); }
    // The projection is loaded again before the next draw.
    void InvalidateProjection() { projectionLoaded_ = false; }
    // The next draw loads the projection (and saves the matrices the cursor mapping reads):
    // asked for, or the size, field of view or camera kind changed since the last load.
    bool ProjectionPending() const;
    // Marked for drawing when the event queue runs empty.
    bool drawPending() const { return drawPending_; }
    // The state the last picture was drawn from; the timer redraws when it differs.
    uint64_t drawnState() const { return drawnState_; }
    bool contextOk() const { return context_ && context_->IsOK(); }
    // Whether the view's context shares the first view's GL objects.
    bool sharesObjects() const { return !ownTextures_; }
    // The picture textures of the view's object space.
    PictureTextures& textures() const { return *textures_; }
    CursorPoint cursorPos;  // last cursor position in this view's client pixels

  private:
    friend class ViewSet;
    class HintWindow;
    void OnPaint(wxPaintEvent&);
    void OnIdle(wxIdleEvent&);
    void OnSize(wxSizeEvent&);
    void OnKeyDown(wxKeyEvent&);
    void OnChar(wxKeyEvent&);
    void OnMouse(wxMouseEvent&);
    // The view's cursor position in client pixels of the drawing buffer.
    CursorPoint ToCursor(wxPoint client) const;

    ViewSet& set_;
    int index_;
    std::unique_ptr<wxGLContext> context_;
    // The shared registry of the views, or the view's own when its context could not share.
    std::unique_ptr<PictureTextures> ownTextures_;
    PictureTextures* textures_ = nullptr;
    bool glReady_ = false;
    bool projectionLoaded_ = false;
    float loadedFovy_ = 0.0f;
    int32_t loadedPerspective_ = -1;
    uint64_t drawnState_ = 0;
    bool drawPending_ = false;
    DetailLevel shownLevel_;
    // The picture under way in slices: its level, state, load and the time spent on it.
    FrameSlices slices_;
    DetailLevel sliceLevel_;
    uint64_t sliceState_ = 0;
    SceneLoad sliceLoad_;
    double sliceMs_ = 0.0;
};

// The views and everything they share. One exists while the main window does.
class ViewSet : public wxEvtHandler, public ViewHost {
  public:
    static constexpr int kViews = 4;
    static constexpr int kTimerMs = 149;

    explicit ViewSet(wxWindow* parent);
    ~ViewSet() override;

    ViewPanel* view(int i) const { return views_[i]; }
    int viewCount() const { return viewCount_; }
    int currentView() const { return currentView_; }
    bool fourViews() const { return fourViews_; }
    bool viewsReady() const { return viewsReady_; }
    void SetViewsReady() { viewsReady_ = true; }
    void ClearPainting() { painting_ = false; }
    bool cameraDragging() const { return editor_->cameraDragging(); }
    int dragState() const { return editor_->dragState(); }
    ViewEditor& editor() { return *editor_; }

    void LayoutViews(const wxRect& area);
    void SetOneViewLayout();
    void SetFourViewLayout();
    void ToggleViewLayout() override;

    // Redraw requests only mark views; the marked views are drawn once when the event queue
    // runs empty (the views' idle event), so a burst of requests - a drag step per mouse
    // message - costs one picture per view and the pictures are never more than one frame
    // behind the state.
    // Marks every laid-out view.
    void RedrawAllViews() override;
    void RedrawCurrentView();
    // Draws the marked views now; true when a picture was drawn. For the few places that
    // need the pictures before they go on (and tests).
    bool FlushRedraws();
    // True while a marked view has not been drawn or a picture drawn in slices is not finished:
    // false means every requested picture is on screen, resizes and layouts included.
    bool RedrawPending() const;
    // Whether a view shows a reduced picture whose full one is still to come.
    bool FullOwed() const;
    // The idle pass: the marked views and the pictures under way get about one slice of time
    // (DetailGovernor::kSliceMs), so a picture that takes longer is finished over several
    // turns of the event loop; a new request to a view starts its picture again. True when
    // there is more to draw.
    bool DrawSlice();
    // The idle event of view `index`: the first view's of each round of idle events draws a
    // slice. True when there is more to draw.
    bool IdleOfView(int index);
    // Whether the full picture of the view is estimated to take longer than one slice, or its
    // cost is not known yet.
    bool SlowPicture(const ViewPanel& v) const;
    void CycleDisplayModes();
    // Something the pictures depend on changed outside the paths that redraw at once: the
    // next timer tick redraws every view.
    void MarkChanged() { ++changeCount_; }
    void MakeCurrent(int i);
    // Stops the timer and destroys the views, 3 down to 0.
    void DestroyViews();

    // The state a view's picture depends on: its camera and size, the document's geometry,
    // selection and symmetry, the switches, colours and field of view.
    uint64_t PictureState(const ViewPanel& v) const;
    // One timer tick, also called by tests. It marks the views whose picture would change.
    void TimerTick();
    // The idle step: a drag whose cursor left the current view goes on, or ends when its
    // button was released outside.
    void IdleStep();
    // How many pictures were drawn since start-up (tests and the idle measurement watch it).
    uint64_t drawCount() const { return drawCount_; }
    // The frame budget: the level the last pictures were drawn at, and the governor that
    // chose it (tests feed it).
    const DetailLevel& frameLevel() const { return frameLevel_; }
    DetailGovernor& governor() { return governor_; }
    // The user moved something in a view or on the palette: the next pictures keep to the
    // frame budget until the input is still.
    void NoteInteraction();
    // The full-detail picture owed after reduced ones is due: the views drawn reduced are
    // marked (the settle timer calls it; tests too).
    void SettleTick();

    // Shows the hint window with a text at the mouse; the views' own hint window unless a
    // test replaces it.
    std::function<void(const std::string&)> showHint;
    HintWindow* hintWindow() const { return hint_; }

    // ViewHost: what the editing state machine asks of the views.
    PickResult PickPoint(ViewCamera& view, CursorPoint at) override;
    int32_t PickRectangle(ViewCamera& view, int32_t left, int32_t top, int32_t width,
                          int32_t height, ModifierKeys keys, Vec3& dragOrigin) override;
    Vec3 CursorToModel(ViewCamera& view, CursorPoint at, Vec3 dragOrigin) override;
    uint32_t TickCount() override;
    uint32_t DoubleClickTime() override;
    uint8_t ButtonsDown() override;
    bool CursorInView(ViewCamera& view, CursorPoint& at) override;
    void RedrawView(ViewCamera& view) override;
    void ReloadProjection(ViewCamera& view) override;
    void RubberBandChanged(ViewCamera& view) override;
    void RedrawPalette() override;
    // Called after the layout changed (the palette redraws its layout cell).
    std::function<void()> layoutChanged;

  private:
    friend class ViewPanel;
    // The scene of the document; the background pictures' textures come from (and are made
    // in) `textures`, whose object space is current.
    SceneInput MakeSceneInput(const ViewPanel& v, PictureTextures& textures) const;
    void CountDraw() { ++drawCount_; }
    void RequestDraw(int i);
    // Draws one view now, as FlushRedraws does.
    void DrawNow(ViewPanel& v);
    ViewPanel* PanelOf(const ViewCamera& camera) const;
    // The panel a mouse event of `from` is handled by: the current view while a drag is under
    // way (the drag stays in its view), else `from`, which becomes current on a press.
    void HandleMouse(ViewPanel& from, wxMouseEvent& event);
    void RelayoutParent();
    void OnTimer(wxTimerEvent&);
    // What the marked views would draw at full detail, for the governor.
    SceneLoad LoadOfViews(bool pendingOnly) const;
    SceneLoad LoadOfView(const ViewPanel& v) const;
    void ScheduleSettle();
    // One pass over the marked views and the pictures under way, drawing until `deadline`
    // (a view is begun only while time is left, or when nothing was drawn yet).
    // Views are begun until `deadline`; a picture drawn in slices sends its pieces until
    // `sendBy` (the GL drawing them takes the time between the two).
    bool DrawPass(FrameSlices::Clock::time_point deadline, FrameSlices::Clock::time_point sendBy);

    wxWindow* parent_;
    std::array<ViewPanel*, kViews> views_{};
    int viewCount_ = 0;
    int currentView_ = -1;
    bool fourViews_ = false;
    bool painting_ = false;
    bool viewsReady_ = false;
    wxRect viewArea_;
    wxTimer timer_;
    mutable GeometryCache geometry_;
    // The arrays of the reduced level the pictures drawn while the user drags use.
    mutable GeometryCache reducedGeometry_;
    DetailGovernor governor_;
    DetailLevel frameLevel_;
    wxTimer settleTimer_;
    bool buttonsWereDown_ = false;
    // How long a slice may send drawing before it waits for the GL to finish it, learnt so
    // that a slice with its finish takes about DetailGovernor::kSliceMs.
    double sliceSendMs_ = 10.0;
    int lastIdleView_ = kViews;
    bool sliceThisRound_ = false;
    // Views whose last picture was a reduced one.
    std::array<bool, kViews> drawnReduced_{};
    // The background-picture textures of the views' shared object space.
    PictureTextures textures_;
    uint64_t changeCount_ = 0;
    uint64_t drawCount_ = 0;
    std::unique_ptr<ViewEditor> editor_;
    // The view the rubber band is drawn in.
    int bandView_ = -1;
    wxPoint timerCursor_;
    bool hoverChecked_ = false;
    PositionReadout readout_;
    HintWindow* hint_ = nullptr;
    wxCursor arrowCursor_;
    wxCursor pointCursor_;
};

// The views of the main window, or null before they exist and after they are gone.
ViewSet* Views();
void SetViews(ViewSet* views);

// The redraw requests of the rest of the program; nothing happens without views.
void RedrawAllViews();
void RedrawCurrentView();
// Draws what the requests marked, now.
void FlushRedraws();

}  // namespace zarni
