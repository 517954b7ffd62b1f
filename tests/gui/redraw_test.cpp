// The views' deferred redraws: requests only mark views, the marked views are drawn once when
// the event queue runs empty and then show the present state, and a projection load still comes
// before the next cursor mapping.
#include <wx/app.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <chrono>

#include "bench/big_document.h"
#include "bench/draw_document.h"

#include "gl/scene.h"
#include "gui_fixture.h"
#include "ui/views.h"
#include "view/drag.h"
#include "view_wait.h"

namespace zarni {
namespace {

using Redraws = GuiTest;

void ExpectPicturesShowTheState(ViewSet& views) {
    for (int i = 0; i < views.viewCount(); ++i) {
        const ViewPanel& v = *views.view(i);
        EXPECT_FALSE(v.drawPending()) << "view " << i;
        EXPECT_EQ(v.drawnState(), views.PictureState(v)) << "view " << i;
    }
}

// The next queue emptying, and nothing else: no input, timer or paint event is handled.
void QueueRunsEmpty() {
    wxTheApp->ProcessIdle();
}

TEST_F(Redraws, ManyRequestsDrawEachViewOnceWhenTheQueueEmpties) {
    MainFrame* frame = Start();
    ViewSet& views = frame->views();
    views.ToggleViewLayout();
    ASSERT_EQ(views.viewCount(), 4);
    // Laid out and drawn at their sizes.
    ASSERT_TRUE(WaitUntil([&] {
        for (int i = 0; i < views.viewCount(); ++i)
            if (views.view(i)->ProjectionPending()) return false;
        return !views.RedrawPending();
    }));

    AppState& app = App();
    AddCircle8(app.doc, app.sw);
    const uint64_t before = views.drawCount();
    for (int step = 0; step < 50; ++step) {
        // What a drag step does: the document changes, every view is asked for.
        for (ControlPoint& p : app.doc.Current()->points)
            p.x += 0.01f;
        RebuildControlCaches(app.doc);
        views.RedrawAllViews();
    }
    EXPECT_EQ(views.drawCount(), before) << "a request draws nothing by itself";
    EXPECT_TRUE(views.RedrawPending());
    QueueRunsEmpty();
    EXPECT_EQ(views.drawCount(), before + 4);
    EXPECT_FALSE(views.RedrawPending());
    ExpectPicturesShowTheState(views);
    QueueRunsEmpty();
    EXPECT_EQ(views.drawCount(), before + 4) << "nothing is left over for a later pass";

    // The current view alone, and the view the timer finds changed.
    views.RedrawCurrentView();
    views.RedrawCurrentView();
    QueueRunsEmpty();
    EXPECT_EQ(views.drawCount(), before + 5);
    // A first tick lets the focus follow the pointer, which draws the view it enters.
    views.TimerTick();
    QueueRunsEmpty();
    const uint64_t focused = views.drawCount();
    views.view(2)->camera.panX += 0.5f;
    UpdateCamera(views.view(2)->camera);
    views.TimerTick();
    EXPECT_TRUE(views.view(2)->drawPending());
    EXPECT_FALSE(views.view(1)->drawPending());
    QueueRunsEmpty();
    EXPECT_EQ(views.drawCount(), focused + 1);
    ExpectPicturesShowTheState(views);

    // Through the real event loop the last state is what the views show.
    for (int step = 0; step < 10; ++step) {
        app.doc.Current()->points[0].y += 0.05f;
        RebuildControlCaches(app.doc);
        RedrawAllViews();
    }
    ASSERT_TRUE(WaitForPictures(views));
    ExpectPicturesShowTheState(views);
}

TEST_F(Redraws, TheViewsOwnDragsDrawOncePerQueueEmptying) {
    MainFrame* frame = Start();
    ViewSet& views = frame->views();
    ASSERT_TRUE(WaitForPictures(views));
    ViewPanel* view = views.view(0);
    ViewEditor& editor = views.editor();

    // An orbit: a right press on empty space, then many moves.
    const uint64_t before = views.drawCount();
    ViewMouseEvent e;
    e.action = MouseAction::Down;
    e.button = MouseButton::Right;
    e.pos = {100, 100};
    editor.Mouse(view->camera, e);
    ASSERT_EQ(editor.dragState(), kDragOrbit);
    const float yaw = view->camera.yaw;
    e.action = MouseAction::Move;
    for (int i = 1; i <= 30; ++i) {
        e.pos = {100 + 3 * i, 100};
        editor.Mouse(view->camera, e);
    }
    EXPECT_NE(view->camera.yaw, yaw);
    EXPECT_EQ(views.drawCount(), before);
    EXPECT_TRUE(view->drawPending());
    QueueRunsEmpty();
    EXPECT_EQ(views.drawCount(), before + 1);
    EXPECT_EQ(view->drawnState(), views.PictureState(*view));
    e.action = MouseAction::Up;
    editor.Mouse(view->camera, e);
    EXPECT_EQ(editor.dragState(), kDragIdle);
    ASSERT_TRUE(WaitForPictures(views));

    // A rubber band: every move changes it, one picture shows the last one.
    const uint64_t beforeBand = views.drawCount();
    e.action = MouseAction::Down;
    e.button = MouseButton::Left;
    e.pos = {40, 40};
    editor.Mouse(view->camera, e);
    ASSERT_EQ(editor.dragState(), kDragRubberBand);
    e.action = MouseAction::Move;
    for (int i = 1; i <= 20; ++i) {
        e.pos = {40 + 4 * i, 40 + 3 * i};
        editor.Mouse(view->camera, e);
    }
    EXPECT_TRUE(editor.rubberBand().visible);
    EXPECT_EQ(views.drawCount(), beforeBand);
    QueueRunsEmpty();
    EXPECT_EQ(views.drawCount(), beforeBand + 1);
    e.action = MouseAction::Up;
    editor.Mouse(view->camera, e);
    EXPECT_FALSE(editor.rubberBand().visible);
    ASSERT_TRUE(WaitForPictures(views));
    ExpectPicturesShowTheState(views);
}

TEST_F(Redraws, AProjectionLoadComesBeforeTheNextCursorMapping) {
    MainFrame* frame = Start();
    ViewSet& views = frame->views();
    ViewPanel* view = views.view(0);
    ViewCamera& cam = view->camera;
    AppState& app = App();
    AddSphere(app.doc, app.sw);
    cam.displayMode = kDisplayShaded;
    views.RedrawAllViews();
    ASSERT_TRUE(WaitForPictures(views));

    // Key 2 turns the view to the front: its projection is loaded with the next picture.
    ASSERT_TRUE(views.editor().Key(cam, ViewKeyEvent{'2', {}}));
    EXPECT_EQ(cam.perspective, 0);
    EXPECT_TRUE(view->ProjectionPending());
    ASSERT_TRUE(WaitForPictures(views));
    EXPECT_FALSE(view->ProjectionPending());

    // Back to perspective as an orbit press does it: until the projection is loaded the saved
    // matrices are the orthographic ones, so the mapping draws the view first.
    ASSERT_TRUE(EnterPerspective(cam));
    views.ReloadProjection(cam);
    EXPECT_TRUE(view->ProjectionPending());
    const uint64_t marked = views.drawCount();
    const CursorPoint at{cam.width / 4, cam.height / 3};
    const Vec3 origin{0.3f, 0.2f, 0.1f};
    const Vec3 mapped = views.CursorToModel(cam, at, origin);
    EXPECT_EQ(views.drawCount(), marked + 1);
    EXPECT_FALSE(view->ProjectionPending());
    EXPECT_FALSE(view->drawPending());
    ViewCamera reference = cam;
    ComputeSavedMatrices(reference, app.cameras.fovy);
    const Vec3 expected = CursorToModel(reference, at, 0.5f, origin);
    EXPECT_NEAR(mapped.x, expected.x, 1e-3f);
    EXPECT_NEAR(mapped.y, expected.y, 1e-3f);
    EXPECT_NEAR(mapped.z, expected.z, 1e-3f);

    // A picture that is only marked is not drawn for a mapping: the depth of the older picture
    // (the sphere under the cursor) maps to the same point as the new one (nothing there).
    const CursorPoint centre{cam.width / 2, cam.height / 2};
    views.CursorToModel(cam, centre, origin);  // leaves the view's context current
    EXPECT_LT(ReadDepthAt(cam, centre), 1.0f) << "the sphere lies under the cursor";
    cam.panX += 3.0f;
    UpdateCamera(cam);
    ComputeSavedMatrices(cam, app.cameras.fovy);
    views.RedrawView(cam);
    const uint64_t older = views.drawCount();
    const Vec3 fromOlder = views.CursorToModel(cam, centre, origin);
    EXPECT_EQ(views.drawCount(), older);
    EXPECT_TRUE(view->drawPending());
    views.FlushRedraws();
    const Vec3 fromNew = views.CursorToModel(cam, centre, origin);
    EXPECT_EQ(ReadDepthAt(cam, centre), 1.0f) << "the sphere moved away";
    EXPECT_NEAR(fromOlder.x, fromNew.x, 1e-3f);
    EXPECT_NEAR(fromOlder.y, fromNew.y, 1e-3f);
    EXPECT_NEAR(fromOlder.z, fromNew.z, 1e-3f);
}

// The longest time between two ticks of a 20 ms timer, and whether a picture drawn in slices was
// ever under way at a tick.
struct Ticks {
    using Clock = std::chrono::steady_clock;
    explicit Ticks(ViewSet& views) : views_(views) {
        timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
            const Clock::time_point now = Clock::now();
            longestMs =
                std::max(longestMs, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
            for (int i = 0; i < views_.viewCount(); ++i)
                sawSlices = sawSlices || views_.view(i)->frameInProgress();
        });
    }
    void Start() {
        longestMs = 0.0;
        last = Clock::now();
        timer_.Start(20);
    }
    void Stop() { timer_.Stop(); }
    double longestMs = 0.0;
    bool sawSlices = false;
    Clock::time_point last;

  private:
    ViewSet& views_;
    wxTimer timer_;
};

// The mirrored 500-patch document at level 20 in the four-view layout: an orbit of the
// perspective view with the real pointer keeps the event loop turning (a timer fires at least
// every half second) through reduced pictures, and the settled picture is the full one.
TEST_F(Redraws, ADragOnAHeavyDocumentKeepsTheEventLoopTurning) {
    MainFrame* frame = Start();
    ViewSet& views = frame->views();
    AppState& app = App();
    app.doc = bench::DrawBenchDocument();
    app.sw.divLevel = 20;
    app.settings.controlFlags &= ~kControlFullDetailAlways;
    views.ToggleViewLayout();
    ASSERT_EQ(views.viewCount(), 4);
    views.view(0)->camera.displayMode = kDisplayShaded;
    views.RedrawAllViews();
    // Pictures this slow come quick first, then whole once nothing else is asked for.
    ASSERT_TRUE(WaitForFullPictures(views));

    Ticks ticks(views);
    ViewPanel* view = views.view(0);
    const wxPoint centre =
        view->ClientToScreen(wxPoint(view->GetClientSize().x / 2, view->GetClientSize().y / 2));
    wxUIActionSimulator sim;
    sim.MouseMove(centre);
    ASSERT_TRUE(WaitUntil([&] { return !views.RedrawPending(); }));
    const float yaw = view->camera.yaw;
    bool reduced = false;
    ticks.Start();
    sim.MouseDown(wxMOUSE_BTN_RIGHT);
    for (int i = 1; i <= 25; ++i) {
        sim.MouseMove(centre + wxPoint(4 * i, i));
        WaitUntil([&] { return !views.RedrawPending(); }, 2.0);
        reduced = reduced || !views.frameLevel().full;
    }
    ticks.Stop();
    sim.MouseUp(wxMOUSE_BTN_RIGHT);
    ASSERT_TRUE(WaitUntil([&] { return views.editor().dragState() == kDragIdle; }));
    EXPECT_LT(ticks.longestMs, 500.0) << "the event loop stood still during the drag";
    EXPECT_TRUE(reduced) << "a full frame of this document is over the budget";
    EXPECT_NE(view->camera.yaw, yaw);
    // Released: the full pictures follow and nothing more is owed.
    ASSERT_TRUE(WaitForFullPictures(views));
    ExpectPicturesShowTheState(views);
}

// A document whose every full picture takes longer than a slice: 300,000 points, as many
// segments and patches as the large-document run has for them, in four views, two of them
// shaded. The settled pictures are drawn in slices with the event loop turning between them,
// a drag keeps it turning, and a drag begun while a picture is under way abandons that
// picture for the reduced ones at once.
TEST_F(Redraws, PicturesSlowerThanASliceAreDrawnInSlicesBetweenTurnsOfTheEventLoop) {
    MainFrame* frame = Start();
    ViewSet& views = frame->views();
    AppState& app = App();
    app.doc = bench::BigDocument(300000, 150000, 30000);
    RebuildControlCaches(app.doc);
    app.sw.divLevel = 6;
    app.settings.controlFlags &= ~kControlFullDetailAlways;
    views.ToggleViewLayout();
    ASSERT_EQ(views.viewCount(), 4);
    views.view(0)->camera.displayMode = kDisplayShaded;
    views.view(3)->camera.displayMode = kDisplayShaded;
    for (int i = 0; i < 4; ++i)
        views.view(i)->InvalidateProjection();

    Ticks ticks(views);
    views.RedrawAllViews();
    // The arrays of the new document are evaluated once, with the first walk, as reading it
    // was; from then on the event loop keeps turning.
    const uint64_t before = views.drawCount();
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (int i = 0; i < views.viewCount(); ++i)
                if (views.view(i)->frameInProgress()) return true;
            return views.drawCount() > before;
        },
        120.0));
    ticks.Start();
    ASSERT_TRUE(WaitUntil([&] { return !views.RedrawPending(); }, 120.0));
    ticks.Stop();
    ExpectPicturesShowTheState(views);
    const SceneLoad load{30000.0 * 2, 150000.0 * 2, 600000.0 * 2};
    ASSERT_GT(views.governor().Estimate(load, TessellationSteps(6), 1), DetailGovernor::kSliceMs)
        << "the document is too light for this test on this machine";
    EXPECT_TRUE(ticks.sawSlices);
    EXPECT_LT(ticks.longestMs, 500.0) << "the event loop stood still while the views drew";

    // An orbit of the top view (wireframe: its points too) with the real pointer.
    ViewPanel* view = views.view(1);
    const wxPoint centre =
        view->ClientToScreen(wxPoint(view->GetClientSize().x / 2, view->GetClientSize().y / 2));
    wxUIActionSimulator sim;
    sim.MouseMove(centre);
    ASSERT_TRUE(WaitUntil([&] { return !views.RedrawPending(); }, 120.0));
    // Its lines alone may fit the budget on a fast machine: as if they had taken a second.
    views.governor().FrameDrawn(DetailLevel{}, TessellationSteps(6), SceneLoad{0, 150000, 0},
                                1000.0);
    sim.MouseDown(wxMOUSE_BTN_MIDDLE);
    bool reduced = false;
    for (int i = 1; i <= 10; ++i) {
        sim.MouseMove(centre + wxPoint(3 * i, 2 * i));
        WaitUntil([&] { return !views.RedrawPending(); }, 2.0);
        reduced = reduced || !views.frameLevel().full;
        // The first step evaluates the arrays of the reduced level, once.
        if (i == 1) ticks.Start();
    }
    ticks.Stop();
    EXPECT_LT(ticks.longestMs, 500.0) << "the event loop stood still during the drag";
    EXPECT_TRUE(reduced);

    // Released: the full pictures begin in slices; a new drag stops them and draws reduced
    // pictures of its steps within a few turns.
    sim.MouseUp(wxMOUSE_BTN_MIDDLE);
    ASSERT_TRUE(WaitUntil([&] {
        for (int i = 0; i < views.viewCount(); ++i)
            if (views.view(i)->frameInProgress()) return true;
        return false;
    }));
    ticks.Start();
    const uint64_t drawn = views.drawCount();
    sim.MouseDown(wxMOUSE_BTN_MIDDLE);
    sim.MouseMove(centre + wxPoint(60, 0));
    EXPECT_TRUE(WaitUntil([&] {
        return views.drawCount() > drawn && !view->shownLevel().full &&
               views.editor().dragState() != kDragIdle;
    })) << views.drawCount() - drawn
        << " pictures, full " << view->shownLevel().full << ", drag " << views.editor().dragState();
    ticks.Stop();
    EXPECT_LT(ticks.longestMs, 500.0);
    sim.MouseUp(wxMOUSE_BTN_MIDDLE);
    ASSERT_TRUE(WaitUntil([&] { return views.editor().dragState() == kDragIdle; }));
    ASSERT_TRUE(WaitForFullPictures(views, 120000));
    ExpectPicturesShowTheState(views);
}

}  // namespace
}  // namespace zarni
