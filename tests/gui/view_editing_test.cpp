// Editing in a view with real pointer events from the X server: a double click, a drag and a
// click draw a curve segment into the document; a right click ends the drawing; dragging the
// new end point moves it. And the timer's position read-out in the hint window.
#include <wx/uiaction.h>

#include "gui_fixture.h"
#include "ui/hint_window.h"
#include "ui/views.h"
#include "view/drag.h"
#include "view_wait.h"

namespace zarni {
namespace {

using ViewEditing = GuiTest;

class Pointer {
  public:
    explicit Pointer(ViewPanel* view) : view_(view) {}
    // Moves to a point of the view (client pixels) and lets the events arrive.
    void MoveTo(int x, int y) {
        sim_.MouseMove(view_->ClientToScreen(wxPoint(x, y)));
        Settle();
    }
    void Down(int button = wxMOUSE_BTN_LEFT) {
        sim_.MouseDown(button);
        Settle();
    }
    void Up(int button = wxMOUSE_BTN_LEFT) {
        sim_.MouseUp(button);
        Settle();
    }

  private:
    // Short: the two presses of a double click must come within the double-click time.
    static void Settle() { Pump(25); }
    ViewPanel* view_;
    wxUIActionSimulator sim_;
};

TEST_F(ViewEditing, DoubleClickDragAndClickDrawACurve) {
    MainFrame* frame = Start();
    frame->Raise();
    ViewSet& views = frame->views();
    ViewPanel* view = views.view(0);
    views.RedrawAllViews();
    ASSERT_TRUE(WaitForPictures(views));
    const PatchObject& obj = *App().doc.Current();
    ASSERT_EQ(obj.pointCount(), 0);
    const wxSize size = view->GetClientSize();
    const int cx = size.x / 2, cy = size.y / 2;

    Pointer mouse(view);
    mouse.MoveTo(cx - 100, cy);
    // The first click of the double click is a quick click: nothing is selected or drawn.
    mouse.Down();
    mouse.Up();
    EXPECT_EQ(views.dragState(), kDragIdle);
    // The second press starts the curve; dragging it pulls out the start handle.
    mouse.Down();
    EXPECT_EQ(views.dragState(), kDragCurveStartHandle);
    mouse.MoveTo(cx - 60, cy - 60);
    mouse.Up();
    EXPECT_EQ(views.dragState(), kDragCurveEndPoint);
    // The end point follows the cursor; a click there ends the segment.
    mouse.MoveTo(cx + 100, cy);
    mouse.Down();
    EXPECT_EQ(views.dragState(), kDragCurveEndHandle);
    mouse.Up();
    EXPECT_EQ(views.dragState(), kDragNextEndPoint);

    ASSERT_EQ(obj.pointCount(), 4);
    ASSERT_EQ(obj.segments.size(), 1u);
    const Segment& s = obj.segments[0];
    const ControlPoint& start = obj.points[s.p0];
    const ControlPoint& startHandle = obj.points[s.p1];
    const ControlPoint& end = obj.points[s.p3];
    // The front view looks along -Z: right is +X, up is +Y.
    EXPECT_LT(start.x, -0.5f);
    EXPECT_GT(end.x, 0.5f);
    EXPECT_NEAR(start.y, end.y, 0.05f);
    EXPECT_GT(startHandle.x, start.x);
    EXPECT_GT(startHandle.y, start.y + 0.3f);
    EXPECT_EQ(startHandle.anchor, s.p0);
    EXPECT_EQ(obj.points[s.p2].anchor, s.p3);

    // A right click ends the drawing without the pending segment.
    mouse.MoveTo(cx, cy + 80);
    mouse.Down(wxMOUSE_BTN_RIGHT);
    mouse.Up(wxMOUSE_BTN_RIGHT);
    EXPECT_EQ(views.dragState(), kDragIdle);
    EXPECT_EQ(obj.pointCount(), 4);
    EXPECT_FALSE(views.editor().curve().active);

    // The new end point can be picked and dragged straight up.
    views.RedrawAllViews();
    ASSERT_TRUE(WaitForPictures(views));
    const float endX = end.x, endY = end.y;
    mouse.MoveTo(cx + 100, cy);
    mouse.Down();
    EXPECT_EQ(views.dragState(), kDragMovePoints);
    EXPECT_EQ(App().doc.activePoint, s.p3);
    mouse.MoveTo(cx + 100, cy - 50);
    mouse.Up();
    EXPECT_EQ(views.dragState(), kDragIdle);
    EXPECT_NEAR(obj.points[s.p3].x, endX, 0.02f);
    EXPECT_GT(obj.points[s.p3].y, endY + 0.3f);
    EXPECT_TRUE(App().doc.modified);
}

TEST_F(ViewEditing, RestingCursorOnAPointShowsItsPositionOnceWhenShow3DPosIsOn) {
    MainFrame* frame = Start();
    ViewSet& views = frame->views();
    ViewPanel* view = views.view(0);
    AddCircle4(App().doc, App().sw);
    PatchObject& obj = *App().doc.Current();
    for (ControlPoint& p : obj.points)
        p.y += 2.0f;
    obj.points[0].x = obj.points[0].y = obj.points[0].z = 0.0f;  // alone at the view's centre
    views.RedrawAllViews();
    ASSERT_TRUE(WaitForPictures(views));
    HintWindow* hint = views.hintWindow();
    ASSERT_NE(hint, nullptr);
    view->cursorPos = {view->camera.width / 2, view->camera.height / 2};

    for (int tick = 0; tick < 8; ++tick)
        views.TimerTick();
    EXPECT_FALSE(hint->model().visible()) << "off unless Show 3D Pos is set";

    App().settings.controlFlags |= kControlShow3DPos;
    // The cursor has rested all along: the sixth tick with the read-out on shows it.
    for (int tick = 0; tick < 5; ++tick) {
        views.TimerTick();
        EXPECT_FALSE(hint->model().visible()) << "tick " << tick;
    }
    views.TimerTick();
    EXPECT_TRUE(hint->model().visible());
    EXPECT_TRUE(hint->IsShown());
    EXPECT_EQ(hint->model().text(), "X:0.000 Y:0.000 Z:0.000");
    EXPECT_EQ(hint->model().timeout(), kHintTimeoutMs);

    // Not again while the cursor rests; away from every point nothing is shown.
    hint->SetTimeout(0);
    hint->Hide();
    views.TimerTick();
    EXPECT_FALSE(hint->IsShown());
    view->cursorPos = {5, 5};
    for (int tick = 0; tick < 8; ++tick)
        views.TimerTick();
    EXPECT_FALSE(hint->IsShown());
    App().settings.controlFlags &= ~kControlShow3DPos;
}

}  // namespace
}  // namespace zarni
