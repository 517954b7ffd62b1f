// The views' editing state machine driven by synthetic mouse and key events against a fake
// window side: point, handle and camera drags, the rubber band, drawing curves, welding, the
// idle step and the object keys.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/core/ops_fixtures.h"
#include "view/drag.h"

namespace zarni {
namespace {

using opsfix::AddFreeCurve;
using opsfix::AddPoint;

constexpr float kPixelsPerUnit = 40.0f;

// A window side without windows: picks answer from a script, the cursor maps linearly onto the
// plane through the drag origin (40 pixels a unit, the view's centre at the origin), the clock
// and the buttons are set by the test, and every request is counted.
class FakeHost : public ViewHost {
  public:
    PickResult PickPoint(ViewCamera&, CursorPoint at) override {
        ++pointPicks;
        return pick ? pick(at) : PickResult{};
    }
    int32_t PickRectangle(ViewCamera&, int32_t left, int32_t top, int32_t width, int32_t height,
                          ModifierKeys, Vec3&) override {
        rectangles.push_back({left, top, width, height});
        return -1;
    }
    Vec3 CursorToModel(ViewCamera& view, CursorPoint at, Vec3 origin) override {
        return Vec3{(at.x - view.width / 2) / kPixelsPerUnit,
                    (view.height / 2 - at.y) / kPixelsPerUnit, origin.z};
    }
    uint32_t TickCount() override { return now; }
    uint32_t DoubleClickTime() override { return 500; }
    uint8_t ButtonsDown() override { return buttons; }
    bool CursorInView(ViewCamera& view, CursorPoint& at) override {
        at = cursor;
        return at.x >= 0 && at.y >= 0 && at.x < view.width && at.y < view.height;
    }
    void RedrawAllViews() override { ++redrawAll; }
    void RedrawView(ViewCamera&) override { ++redrawView; }
    void ReloadProjection(ViewCamera&) override { ++reloads; }
    void RubberBandChanged(ViewCamera&) override { ++bandChanges; }
    void RedrawPalette() override { ++paletteRedraws; }
    void ToggleViewLayout() override { ++layoutToggles; }

    std::function<PickResult(CursorPoint)> pick;
    std::vector<std::array<int32_t, 4>> rectangles;
    uint32_t now = 1000000;
    uint8_t buttons = 0;
    CursorPoint cursor;
    int pointPicks = 0, redrawAll = 0, redrawView = 0, reloads = 0, bandChanges = 0;
    int paletteRedraws = 0, layoutToggles = 0;
};

PickResult Hit(int32_t index) {
    return PickResult{index, 1, index, index};
}

Vec3 Pos(const ControlPoint& p) {
    return Vec3{p.x, p.y, p.z};
}

void ExpectAt(const ControlPoint& p, Vec3 v) {
    EXPECT_NEAR(p.x, v.x, 1e-5f);
    EXPECT_NEAR(p.y, v.y, 1e-5f);
    EXPECT_NEAR(p.z, v.z, 1e-5f);
}

class DragTest : public ::testing::Test {
  protected:
    void SetUp() override {
        doc = NewDocument();
        InitViewCamera(view, 9.0f);
        view.width = 160;
        view.height = 120;
        ComputeSavedMatrices(view, cameras.fovy);
    }

    PatchObject& obj() { return *doc.Current(); }

    // The pixel where the fake host maps a model point of the z = 0 plane.
    CursorPoint PixelOf(float x, float y) const {
        return {static_cast<int32_t>(view.width / 2 + x * kPixelsPerUnit),
                static_cast<int32_t>(view.height / 2 - y * kPixelsPerUnit)};
    }
    void Press(MouseButton b, CursorPoint at, ModifierKeys keys = {}) {
        host.buttons |= static_cast<uint8_t>(b);
        editor.Mouse(view, {MouseAction::Down, b, at, keys});
    }
    void Release(MouseButton b, CursorPoint at, ModifierKeys keys = {}) {
        host.buttons &= static_cast<uint8_t>(~static_cast<uint8_t>(b));
        editor.Mouse(view, {MouseAction::Up, b, at, keys});
    }
    void Move(CursorPoint at) {
        editor.Mouse(view, {MouseAction::Move, MouseButton::Left, at, {}});
    }
    static CursorPoint Shift(CursorPoint p, int32_t dx, int32_t dy) { return {p.x + dx, p.y + dy}; }

    Document doc;
    EditSwitches sw;
    CameraMemories cameras;
    Settings settings;
    FakeHost host;
    ViewEditor editor{doc, sw, cameras, settings, host};
    ViewCamera view;
};

// Three free curves: anchors 0, 1 / 4, 5 / 8, 9; handles 2 (of 0), 3 (of 1), 6, 7, 10, 11.
void AddThreeCurves(PatchObject& obj) {
    AddFreeCurve(obj, 0, 0, 1, 0);
    AddFreeCurve(obj, 0, 1, 1, 1);
    AddFreeCurve(obj, -1, -1, -1, 0);
    RebuildObjectCaches(obj);
}

TEST_F(DragTest, AnchorDragMovesEverySelectedAnchorWithItsHandlesAndHonoursTheAxisLock) {
    AddThreeCurves(obj());
    const std::vector<ControlPoint> before = obj().points;
    doc.selectedAnchors = {0, 4};
    const CursorPoint start = PixelOf(-1, -1);
    host.pick = [](CursorPoint) { return Hit(8); };

    Press(MouseButton::Left, start, ModifierKeys{true, false, false});  // Ctrl adds anchor 8
    EXPECT_EQ(editor.dragState(), kDragMovePoints);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 4, 8}));
    Move(Shift(start, 40, -80));  // (+1, +2)
    sw.axisLock = kLockX;
    Move(Shift(start, 120, -120));  // (+2, +1) more, X locked
    Release(MouseButton::Left, Shift(start, 120, -120));

    for (int32_t i : {0, 2, 4, 6, 8, 10}) {  // the three anchors and their handles
        SCOPED_TRACE(i);
        ExpectAt(obj().points[i], Vec3{before[i].x + 1, before[i].y + 3, 0});
    }
    for (int32_t i : {1, 3, 5, 7, 9, 11})
        ExpectAt(obj().points[i], Pos(before[i]));
    EXPECT_EQ(editor.dragState(), kDragIdle);
    EXPECT_TRUE(doc.modified);
    // The curve caches follow the points during the drag.
    EXPECT_FLOAT_EQ(obj().segmentCache[0], obj().points[0].x);
}

TEST_F(DragTest, HandleDragMovesOnlyThatHandleAndKeepsTheSelection) {
    AddThreeCurves(obj());
    const std::vector<ControlPoint> before = obj().points;
    doc.selectedAnchors = {0, 4};
    host.pick = [](CursorPoint) { return Hit(2); };  // handle of anchor 0, seen in point mode
    const CursorPoint start = PixelOf(0.33f, 0);

    Press(MouseButton::Left, start);
    EXPECT_EQ(doc.activePoint, 2);
    Move(Shift(start, 0, -40));
    Release(MouseButton::Left, Shift(start, 0, -40));

    ExpectAt(obj().points[2], Vec3{before[2].x, before[2].y + 1, 0});
    for (int32_t i = 0; i < obj().pointCount(); ++i) {
        if (i != 2) ExpectAt(obj().points[i], Pos(before[i]));
    }
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 4}));
}

TEST_F(DragTest, MiddleAndRightDragsScaleAndTurnTheHandlesPerMove) {
    const int32_t a = AddPoint(obj(), 1, 1, 0);
    const int32_t h = AddPoint(obj(), 2, 1, 0, a);
    const int32_t other = AddPoint(obj(), 3, 3, 0);
    AddPoint(obj(), 4, 3, 0, other);
    host.pick = [a](CursorPoint) { return Hit(a); };
    const CursorPoint start = PixelOf(1, 1);

    // Half the view width to the right doubles the handle's arm.
    Press(MouseButton::Middle, start);
    EXPECT_EQ(editor.dragState(), kDragScaleHandles);
    Move(Shift(start, 80, 0));
    ExpectAt(obj().points[h], Vec3{3, 1, 0});
    // Two quarter widths multiply: 1.5 x 1.5.
    Move(Shift(start, 120, 0));
    Move(Shift(start, 160, 0));
    ExpectAt(obj().points[h], Vec3{1 + 2 * 2.25f, 1, 0});
    // Half the width to the left collapses it onto the anchor.
    Move(Shift(start, 80, 0));
    ExpectAt(obj().points[h], Vec3{1, 1, 0});
    ExpectAt(obj().points[3], Vec3{4, 3, 0});  // another anchor's handle stays
    EXPECT_FALSE(doc.modified);
    Release(MouseButton::Middle, Shift(start, 80, 0));
    EXPECT_EQ(editor.dragState(), kDragIdle);
    EXPECT_TRUE(doc.modified);

    // Right drag: half a width is one radian about the viewing direction (+Z here),
    // counter-clockwise as seen from the eye.
    obj().points[h].x = 2;
    Press(MouseButton::Right, start);
    EXPECT_EQ(editor.dragState(), kDragTurnHandles);
    Move(Shift(start, 80, 0));
    ExpectAt(obj().points[h], Vec3{1 + std::cos(1.0f), 1 + std::sin(1.0f), 0});
    Release(MouseButton::Right, Shift(start, 80, 0));
    EXPECT_EQ(editor.dragState(), kDragIdle);

    // A handle under the cursor starts nothing, and neither button moves the camera then.
    host.pick = [h](CursorPoint) { return Hit(h); };
    Press(MouseButton::Middle, start);
    EXPECT_EQ(editor.dragState(), kDragIdle);
    EXPECT_FALSE(editor.cameraDragging());
}

TEST_F(DragTest, CameraDragsEndOnlyAtTheirButtonsAndLeaveThePerspectiveOn) {
    SelectOrthoDirection(view, cameras, kViewTop);
    const float pitch = view.pitch;
    Press(MouseButton::Right, PixelOf(0, 0));  // empty space: orbit
    EXPECT_EQ(editor.dragState(), kDragOrbit);
    EXPECT_TRUE(editor.cameraDragging());
    EXPECT_EQ(view.perspective, 1);
    EXPECT_EQ(host.reloads, 1);
    Move(Shift(PixelOf(0, 0), 0, 30));
    EXPECT_NE(view.pitch, pitch);
    // A left click meanwhile does not cut the orbit short.
    Press(MouseButton::Left, PixelOf(0, 0));
    Release(MouseButton::Left, PixelOf(0, 0));
    EXPECT_EQ(editor.dragState(), kDragOrbit);
    Release(MouseButton::Right, PixelOf(0, 0));
    EXPECT_EQ(editor.dragState(), kDragIdle);
    EXPECT_FALSE(editor.cameraDragging());
    ViewCamera expected = view;
    ComputeSavedMatrices(expected, cameras.fovy);
    EXPECT_EQ(view.modelview, expected.modelview);

    // Alt + right is the middle button: a pan, ended by the right button's release.
    Press(MouseButton::Right, PixelOf(0, 0), ModifierKeys{false, false, true});
    EXPECT_EQ(editor.dragState(), kDragPan);
    Release(MouseButton::Right, PixelOf(0, 0));
    EXPECT_EQ(editor.dragState(), kDragIdle);

    // Without button handle control the right button orbits even over an anchor.
    AddPoint(obj(), 0, 0, 0);
    host.pick = [](CursorPoint) { return Hit(0); };
    settings.controlFlags = kControlNoButtonHandle;
    host.pointPicks = 0;
    Press(MouseButton::Right, PixelOf(0, 0));
    EXPECT_EQ(editor.dragState(), kDragOrbit);
    EXPECT_EQ(host.pointPicks, 0);
}

TEST_F(DragTest, RubberBandQuickClickKeepsTheSelectionAndSlowBandPicksTheOrderedRectangle) {
    AddThreeCurves(obj());
    doc.selectedAnchors = {0, 4};
    Press(MouseButton::Left, {100, 90});
    EXPECT_EQ(editor.dragState(), kDragRubberBand);
    Move({30, 20});
    EXPECT_TRUE(editor.rubberBand().visible);
    EXPECT_EQ(editor.rubberBand().to.x, 30);
    host.now += kQuickClickMs;
    Release(MouseButton::Left, {30, 20});
    EXPECT_EQ(editor.dragState(), kDragIdle);
    EXPECT_FALSE(editor.rubberBand().visible);
    EXPECT_TRUE(host.rectangles.empty());
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 4}));
    EXPECT_FALSE(doc.modified);

    host.now += 1000;  // well after the click: no double click
    Press(MouseButton::Left, {100, 90});
    Move({30, 20});
    host.now += kQuickClickMs + 1;
    Release(MouseButton::Left, {30, 20});
    ASSERT_EQ(host.rectangles.size(), 1u);
    EXPECT_EQ(host.rectangles[0], (std::array<int32_t, 4>{30, 20, 70, 70}));
    EXPECT_TRUE(doc.modified);
}

TEST_F(DragTest, CurveGestureAddsAFourPointThenAThreePointSegmentAndARightClickDropsThePending) {
    sw.handleMode = 1;
    const CursorPoint s = PixelOf(0, 0);
    Press(MouseButton::Left, s);
    Release(MouseButton::Left, s);
    host.now += 200;
    Press(MouseButton::Left, s);  // the double click
    EXPECT_EQ(editor.dragState(), kDragCurveStartHandle);
    EXPECT_TRUE(editor.curve().active);
    EXPECT_EQ(sw.handleMode, 0);
    Move(PixelOf(0, 1));  // start handle
    Release(MouseButton::Left, PixelOf(0, 1));
    EXPECT_EQ(editor.dragState(), kDragCurveEndPoint);
    Move(PixelOf(2, 0));  // end point
    Press(MouseButton::Left, PixelOf(2, 0));
    EXPECT_EQ(editor.dragState(), kDragCurveEndHandle);
    Move(PixelOf(3, 1));  // the end handle mirrors this through the end point
    Release(MouseButton::Left, PixelOf(3, 1));

    ASSERT_EQ(obj().pointCount(), 4);
    ExpectAt(obj().points[0], Vec3{0, 0, 0});
    ExpectAt(obj().points[1], Vec3{0, 1, 0});
    ExpectAt(obj().points[2], Vec3{1, -1, 0});
    ExpectAt(obj().points[3], Vec3{2, 0, 0});
    EXPECT_EQ(editor.dragState(), kDragNextEndPoint);
    // The next segment starts smoothly: its start handle mirrors the last end handle.
    ExpectAt(ControlPoint{editor.curve().q[1].x, editor.curve().q[1].y, 0}, Vec3{3, 1, 0});

    Move(PixelOf(4, 0));
    Press(MouseButton::Left, PixelOf(4, 0));
    EXPECT_EQ(editor.dragState(), kDragNextEndHandle);
    Move(PixelOf(4, -1));
    Release(MouseButton::Left, PixelOf(4, -1));
    ASSERT_EQ(obj().pointCount(), 7);
    ASSERT_EQ(obj().segmentCount(), 2);
    const Segment& second = obj().segments[1];
    EXPECT_EQ(second.p0, 3);
    ExpectAt(obj().points[second.p1], Vec3{3, 1, 0});
    ExpectAt(obj().points[second.p2], Vec3{4, 1, 0});
    ExpectAt(obj().points[second.p3], Vec3{4, 0, 0});

    // A third segment is under way when the right button ends the drawing.
    Move(PixelOf(6, 0));
    Press(MouseButton::Right, PixelOf(6, 0));
    EXPECT_EQ(editor.dragState(), kDragIdle);
    EXPECT_FALSE(editor.curve().active);
    EXPECT_EQ(obj().pointCount(), 7);
    EXPECT_EQ(obj().segmentCount(), 2);
    // The right release that follows starts and ends nothing.
    Release(MouseButton::Right, PixelOf(6, 0));
    EXPECT_EQ(editor.dragState(), kDragIdle);
}

// Anchor 0 is dragged one unit right onto anchor 4 at (1, 0); anchor 8 lies 0.1 further.
class WeldTest : public DragTest {
  protected:
    void SetUp() override {
        DragTest::SetUp();
        AddFreeCurve(obj(), 0, 0, 0, 3);
        AddFreeCurve(obj(), 1, 0, 3, 3);
        AddFreeCurve(obj(), 1.1f, 0, 5, 5);
        RebuildObjectCaches(obj());
    }
    // Drags anchor 0 onto (1, 0) and clicks the right button with the pick answering `hit`.
    void DragAndWeld(PickResult hit) {
        host.pick = [](CursorPoint) { return Hit(0); };
        Press(MouseButton::Left, PixelOf(0, 0));
        Move(PixelOf(1, 0));
        host.pick = [hit](CursorPoint) { return hit; };
        Press(MouseButton::Right, PixelOf(1, 0));
    }
    // The point the dragged anchor went into, by its index before the merge (renumbered after
    // the removal of point 0).
    void ExpectMergedInto(int32_t target) {
        EXPECT_EQ(obj().pointCount(), 11);
        EXPECT_EQ(doc.activePoint, target - 1);
        EXPECT_EQ(obj().segments[0].p0, target - 1);
        EXPECT_EQ(editor.dragState(), kDragIdle);
    }
};

TEST_F(WeldTest, NoHitWeldsOntoTheNearestPointWithinReach) {
    DragAndWeld(PickResult{});
    ExpectMergedInto(4);
}

TEST_F(WeldTest, OneHitOnTheDraggedPointTakesTheNearestElseTheHitPoint) {
    DragAndWeld(Hit(0));
    ExpectMergedInto(4);
}

TEST_F(WeldTest, OneHitOnAnotherPointWeldsOntoIt) {
    DragAndWeld(Hit(8));
    ExpectMergedInto(8);
}

TEST_F(WeldTest, TwoHitsTakeTheRecordThatIsNotTheDraggedPoint) {
    DragAndWeld(PickResult{0, 2, 8, 0});
    ExpectMergedInto(8);
}

TEST_F(WeldTest, TwoHitsWithTheDraggedPointFirstStillFindTheOther) {
    DragAndWeld(PickResult{0, 2, 0, 8});
    ExpectMergedInto(8);
}

TEST_F(WeldTest, TwoHitsWhereThePickChoseAnotherPointWeldOntoThatPoint) {
    DragAndWeld(PickResult{4, 2, 0, 4});
    ExpectMergedInto(4);
}

TEST_F(WeldTest, NothingInReachEndsTheDragKeepingTheMove) {
    obj().points[4].y = 2;
    obj().points[8].y = 2;
    DragAndWeld(PickResult{});
    EXPECT_EQ(obj().pointCount(), 12);
    ExpectAt(obj().points[0], Vec3{1, 0, 0});
    EXPECT_EQ(editor.dragState(), kDragIdle);
    EXPECT_TRUE(doc.modified);
    // The left release afterwards changes nothing more.
    Release(MouseButton::Left, PixelOf(2, 0));
    ExpectAt(obj().points[0], Vec3{1, 0, 0});
}

TEST_F(DragTest, IdleStepContinuesADragOutsideTheViewAndEndsItWhenTheButtonIsUp) {
    AddThreeCurves(obj());
    host.pick = [](CursorPoint) { return Hit(0); };
    Press(MouseButton::Left, PixelOf(0, 0));
    host.cursor = PixelOf(1, 0);
    editor.IdleStep(view);  // inside the view: the view's own messages do the work
    ExpectAt(obj().points[0], Vec3{0, 0, 0});

    host.cursor = {-40, view.height / 2};  // one unit beyond the left edge
    editor.IdleStep(view);
    EXPECT_NEAR(obj().points[0].x, -3.0f, 1e-5f);
    const int redraws = host.redrawAll;
    editor.IdleStep(view);  // no movement, no redraw
    EXPECT_EQ(host.redrawAll, redraws);
    EXPECT_EQ(editor.dragState(), kDragMovePoints);

    host.buttons = 0;
    editor.IdleStep(view);
    EXPECT_EQ(editor.dragState(), kDragIdle);
    EXPECT_TRUE(doc.modified);

    // A curve waiting for its next press is left alone.
    host.now += 5000;
    host.pick = nullptr;
    Press(MouseButton::Left, PixelOf(3, 0));
    Release(MouseButton::Left, PixelOf(3, 0));
    Press(MouseButton::Left, PixelOf(3, 0));
    Release(MouseButton::Left, PixelOf(3, 0));
    ASSERT_EQ(editor.dragState(), kDragCurveEndPoint);
    editor.IdleStep(view);
    EXPECT_EQ(editor.dragState(), kDragCurveEndPoint);
}

TEST_F(DragTest, CtrlUpAndDownStepThroughTheObjectsWithinTheirRange) {
    CreateObject(doc);
    CreateObject(doc);
    ASSERT_EQ(doc.currentObject, 2);
    AddPoint(obj(), 0, 0, 0);
    doc.selectedAnchors = {0};
    const ModifierKeys ctrl{true, false, false};

    EXPECT_TRUE(editor.Key(view, {kKeyUp, ctrl}));
    EXPECT_EQ(doc.currentObject, 2);  // the last object stays
    EXPECT_TRUE(doc.selectedAnchors.empty());
    editor.Key(view, {kKeyDown, ctrl});
    editor.Key(view, {kKeyDown, ctrl});
    editor.Key(view, {kKeyDown, ctrl});
    EXPECT_EQ(doc.currentObject, 0);
    doc.currentObject = -2;  // object 1 remembered while none is active
    editor.Key(view, {kKeyUp, ctrl});
    EXPECT_EQ(doc.currentObject, 2);
    EXPECT_FALSE(editor.Key(view, {'A', ctrl}));  // other keys with Ctrl are not commands
}

TEST_F(DragTest, KeysSwitchCameraAndSelectionAndRefreshTheSavedMatrices) {
    AddThreeCurves(obj());
    EXPECT_TRUE(editor.Key(view, {kKeyNumpad0 + 5, {}}));
    EXPECT_EQ(view.perspective, 0);
    EXPECT_EQ(view.viewIndex, kViewTop);
    EXPECT_EQ(host.reloads, 1);
    ViewCamera expected = view;
    ComputeSavedMatrices(expected, cameras.fovy);
    EXPECT_EQ(view.modelview, expected.modelview);
    EXPECT_EQ(view.projection, expected.projection);
    editor.Key(view, {'2', {}});
    EXPECT_EQ(view.viewIndex, kViewFront);
    EXPECT_EQ(host.reloads, 1);  // already orthographic
    EXPECT_TRUE(editor.Key(view, {'4', {}}));
    EXPECT_EQ(view.viewIndex, kViewFront);

    editor.Key(view, {'A', {}});
    EXPECT_EQ(doc.selectedAnchors.size(), 6u);
    editor.Key(view, {'I', {}});
    EXPECT_TRUE(doc.selectedAnchors.empty());
    editor.Key(view, {'H', {}});
    EXPECT_EQ(sw.handleMode, 1);
    editor.Key(view, {kKeyF12, {}});
    editor.Key(view, {'R', {}});
    editor.Key(view, {'R', {}});
    EXPECT_EQ(view.displayMode, kDisplayWireframe);
    editor.Key(view, {kKeyF4, {}});
    EXPECT_EQ(host.layoutToggles, 1);

    // A left press in a shaded view does nothing.
    view.displayMode = kDisplayShaded;
    Press(MouseButton::Left, PixelOf(0, 0));
    EXPECT_EQ(editor.dragState(), kDragIdle);

    const float altitude = view.altitude;
    EXPECT_TRUE(editor.Char(view, '+'));
    EXPECT_FLOAT_EQ(view.altitude, altitude * kZoomInFactor);
    EXPECT_FALSE(editor.Char(view, 'x'));
}

}  // namespace
}  // namespace zarni
