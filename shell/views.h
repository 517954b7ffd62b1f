// The four OpenGL views ("GLPanel"): their contexts, the one- and four-view layouts, the redraw
// requests, the 149 ms timer (redraw of what changed, cursor shape, position read-out, focus
// following the mouse) and the camera's keys, wheel and drags.
#pragma once

#include <wx/glcanvas.h>
#include <wx/timer.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "view/camera.h"
#include "view/gl/scene.h"

namespace zarni {

class ViewSet;

class ViewPanel : public wxGLCanvas {
  public:
    ViewPanel(wxWindow* parent, ViewSet& set, int index, const wxGLAttributes& attributes);

    int index() const { return index_; }
    ViewCamera camera;
    // Position and size as fractions of the view area, and the rectangle laid out from them
    // in client coordinates of the main window.
    float fracLeft = 0.0f, fracTop = 0.0f, fracWidth = 0.0f, fracHeight = 0.0f;
    wxRect rect;

    // Makes the context current and draws the view now; false when it cannot be drawn yet
    // (not on screen, no context, zero size).
    bool Render();
    // The projection is loaded again before the next draw.
    void InvalidateProjection() { projectionLoaded_ = false; }
    // The state the last picture was drawn from; the timer redraws when it differs.
    uint64_t drawnState() const { return drawnState_; }
    bool contextOk() const { return context_ && context_->IsOK(); }
    CursorPoint cursorPos;  // last cursor position in this view's client pixels

  private:
    friend class ViewSet;
    void OnPaint(wxPaintEvent&);
    void OnSize(wxSizeEvent&);
    void OnKeyDown(wxKeyEvent&);
    void OnChar(wxKeyEvent&);
    void OnMouse(wxMouseEvent&);

    ViewSet& set_;
    int index_;
    std::unique_ptr<wxGLContext> context_;
    bool glReady_ = false;
    bool projectionLoaded_ = false;
    float loadedFovy_ = 0.0f;
    int32_t loadedPerspective_ = -1;
    uint64_t drawnState_ = 0;
};

// The views and everything they share. One exists while the main window does.
class ViewSet : public wxEvtHandler {
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
    bool cameraDragging() const { return dragState_ != 0; }
    int dragState() const { return dragState_; }

    void LayoutViews(const wxRect& area);
    void SetOneViewLayout();
    void SetFourViewLayout();
    void ToggleViewLayout();
    void RedrawAllViews();
    void RedrawCurrentView();
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
    // One timer tick, also called by tests.
    void TimerTick();
    // The idle step: a camera drag whose button was released outside the view ends.
    void IdleStep();
    // How many pictures were drawn since start-up (tests and the idle measurement watch it).
    uint64_t drawCount() const { return drawCount_; }

    // Picks the point under a cursor position of a view (-1 none); set by the picking code.
    std::function<int32_t(ViewPanel&, CursorPoint)> pickPoint;
    // Shows the hint window with a text at the mouse; set by the hint window.
    std::function<void(const std::string&)> showHint;
    // Called after the layout changed (the palette redraws its layout cell).
    std::function<void()> layoutChanged;

  private:
    friend class ViewPanel;
    SceneInput MakeSceneInput() const;
    void CountDraw() { ++drawCount_; }
    void BeginCameraDrag(ViewPanel& v, int state, CursorPoint at);
    void EndCameraDrag(ViewPanel& v);
    void AfterZoom(ViewPanel& v);
    void RelayoutParent();
    void OnTimer(wxTimerEvent&);

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
    uint64_t changeCount_ = 0;
    uint64_t drawCount_ = 0;
    // Camera drags: 0 none, 201 orbit, 202 pan (the editing drags come with the editing code).
    int dragState_ = 0;
    int dragButton_ = 0;
    CursorPoint prevCursor_;
    wxPoint timerCursor_;
    bool hoverChecked_ = false;
    int restTicks_ = 0;
    wxCursor arrowCursor_;
    wxCursor pointCursor_;
};

// The views of the main window, or null before they exist and after they are gone.
ViewSet* Views();
void SetViews(ViewSet* views);

// The redraw requests of the rest of the program; nothing happens without views.
void RedrawAllViews();
void RedrawCurrentView();

}  // namespace zarni
