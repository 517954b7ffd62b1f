// The tool palette without a display: hit tests on the cell edges, the press / drag / release
// machine driven with synthetic cursor positions, the field values and the rounding buttons.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "model/invariants.h"
#include "resources/ids.h"
#include "rules/palette.h"
#include "tests/core/ops_fixtures.h"

namespace zarni {
namespace {

using opsfix::AddFreeCurve;
using opsfix::AddPoint;

// A host whose cursor, clock and buttons the test sets, and which records requests.
class FakeHost : public PaletteHost {
  public:
    PalettePoint cursor{0, 0};
    uint32_t now = 100000;
    uint8_t buttons = kPalettePrimary;
    bool viewDragging = false;
    PaletteViews views;
    std::vector<int> commands;
    std::vector<int32_t> savedLevels;
    int paletteRedraws = 0, viewRedraws = 0, listToggles = 0, layoutToggles = 0;
    int extrudes = 0, lathes = 0;

    PalettePoint CursorClient() override { return cursor; }
    // The window sits at (100, 50) on the screen.
    PalettePoint CursorScreen() override { return {cursor.x + 100, cursor.y + 50}; }
    int32_t ClientWidth() override { return 800; }
    uint32_t TickCount() override { return now; }
    uint32_t DoubleClickTime() override { return 400; }
    int32_t DoubleClickWidth() override { return 4; }
    uint8_t ButtonsDown() override { return buttons; }
    bool ViewDragging() override { return viewDragging; }
    PaletteViews Views() override { return views; }
    bool FourViews() override { return false; }
    void RedrawPalette() override { ++paletteRedraws; }
    void RedrawAllViews() override { ++viewRedraws; }
    void ToggleObjectList() override { ++listToggles; }
    void ToggleViewLayout() override { ++layoutToggles; }
    void CycleDisplayModes() override {}
    void SendCommand(int id) override { commands.push_back(id); }
    void ExtrudeWithDialog() override { ++extrudes; }
    void LatheWithDialog() override { ++lathes; }
    void SaveDivLevel(int32_t level) override { savedLevels.push_back(level); }
};

class PaletteTest : public ::testing::Test {
  protected:
    PaletteTest() : machine(doc, sw, host) {
        doc = NewDocument();
        host.views.currentSlot = kBackFront;
    }

    PatchObject& obj() { return *doc.Current(); }

    // A press at one client point and a release at another, with moves in between.
    void Click(PalettePoint at) { Drag(at, at); }
    void Drag(PalettePoint from, PalettePoint to) {
        host.cursor = from;
        machine.ButtonDown();
        host.cursor = to;
        machine.MouseMove();
        machine.ButtonUp();
    }
    static PalettePoint Centre(int cell) {
        const CellRect& r = PaletteCells()[cell].rect;
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    // A curve from (0.5, 1, 2) to (1.5, 1, 2) with anchor 0 current and selected.
    void CurveWithCurrentAnchor() {
        AddFreeCurve(obj(), 0.5f, 1.0f, 1.5f, 1.0f, 2.0f);
        obj().points[0].z = 2.0f;
        doc.selectedAnchors = {0};
        doc.activePoint = 0;
        RebuildControlCaches(doc);
        RecomputePivot(doc, sw);
    }

    Document doc;
    EditSwitches sw;
    FakeHost host;
    PaletteMachine machine;
};

TEST_F(PaletteTest, EdgePixelsCountForReleasesButNotForHoverOrPresses) {
    const CellRect& showAll = PaletteCells()[kCellShowAll].rect;  // 96,22,116,40
    EXPECT_EQ(HitCellHalfOpen(showAll.left, showAll.top), kCellShowAll);
    EXPECT_EQ(HitCellHalfOpen(showAll.right - 1, showAll.bottom - 1), kCellShowAll);
    // The right edge of the show-all switch is the left edge of the picture switch.
    EXPECT_EQ(HitCellHalfOpen(showAll.right, 30), kCellBackPicture);
    EXPECT_EQ(HitCellClosed(showAll.right, 30), kCellShowAll);
    // The bottom edge of the Intersect switch: released there it still toggles.
    const CellRect& inter = PaletteCells()[kCellIntersect].rect;
    EXPECT_EQ(HitCellHalfOpen(inter.right, inter.bottom), -1);
    EXPECT_EQ(HitCellClosed(inter.right, inter.bottom), kCellIntersect);
    // Between the cells there is nothing; the empty cell 38 is never hit.
    EXPECT_EQ(HitCellClosed(700, 10), -1);
    EXPECT_EQ(HitCellClosed(0, 0), -1);

    // Hover moves only within the strip's height and redraws only when the cell changes.
    host.cursor = {showAll.right - 1, 30};
    machine.MouseMove();
    EXPECT_EQ(machine.hoverCell(), kCellShowAll);
    const int redraws = host.paletteRedraws;
    host.cursor = {showAll.left, 30};
    machine.MouseMove();
    EXPECT_EQ(host.paletteRedraws, redraws);
    host.cursor = {showAll.right, 30};
    machine.MouseMove();
    EXPECT_EQ(machine.hoverCell(), kCellBackPicture);
    host.cursor = {700, 10};
    machine.MouseMove();
    EXPECT_NE(machine.hoverCell(), -1) << "over no cell is a hover state of its own";
    EXPECT_EQ(PaletteDrawList(doc, sw, host.views, false, machine.hoverCell()),
              PaletteDrawList(doc, sw, host.views, false, -1));
    // The timer lets go of the hover once the cursor leaves the strip.
    host.cursor = {300, 41};
    machine.HoverTick();
    EXPECT_EQ(machine.hoverCell(), -1);
}

TEST_F(PaletteTest, TheReleasePointChoosesTheTool) {
    // Pressed on the Intersect switch, released on the show-all switch: show-all toggles.
    Drag(Centre(kCellIntersect), Centre(kCellShowAll));
    EXPECT_EQ(sw.intersectSelect, 0);
    EXPECT_EQ(sw.showAllObjects, 0);
    // Pressed outside every cell, released on the picture switch.
    Drag({700, 10}, Centre(kCellBackPicture));
    EXPECT_EQ(sw.backPictureVisible, 1);
    // Pressed on a button, released outside: nothing.
    Drag(Centre(kCellIntersect), {700, 10});
    EXPECT_EQ(sw.intersectSelect, 0);
    // The hidden undo and redo cells send their commands; the tab opens the object list.
    Click(Centre(kCellUndo));
    Click(Centre(kCellRedo));
    EXPECT_EQ(host.commands, (std::vector<int>{kCmdUndo, kCmdRedo}));
    Click(Centre(kCellLabel));
    EXPECT_EQ(host.listToggles, 1);
    // Lock bars and layer switches toggle their bit.
    Click(Centre(kCellLockY));
    EXPECT_EQ(sw.axisLock, 2);
    Click(Centre(kCellFirstLayerSwitch + 3));
    EXPECT_EQ(sw.layerVisible[3], 0);
    EXPECT_FALSE(doc.modified) << "switches are no change of the document";
    // While a view drags, the palette does nothing.
    host.viewDragging = true;
    Click(Centre(kCellLockY));
    EXPECT_EQ(sw.axisLock, 2);
}

TEST_F(PaletteTest, DivisionLevelFollowsSevenPixelsAStepAndIsStoredOnRelease) {
    sw.divLevel = 6;
    host.cursor = Centre(kCellDivLevel);
    const int32_t x0 = host.cursor.x;
    machine.ButtonDown();
    EXPECT_EQ(machine.dragCell(), kCellDivLevel);
    host.cursor.x = x0 + 7;
    machine.MouseMove();
    EXPECT_EQ(sw.divLevel, 7);
    EXPECT_EQ(machine.hoverCell(), kCellShowAll);
    host.cursor.x = x0 + 13;
    machine.MouseMove();
    EXPECT_EQ(sw.divLevel, 7);
    host.cursor.x = x0 + 500;  // far right, even beyond the window
    machine.MouseMove();
    EXPECT_EQ(sw.divLevel, 20);
    EXPECT_TRUE(host.savedLevels.empty()) << "nothing is written during the drag";
    host.cursor.x = x0 - 500;
    machine.MouseMove();
    EXPECT_EQ(sw.divLevel, 1);
    host.cursor.x = x0 + 14;
    machine.MouseMove();
    machine.ButtonUp();
    EXPECT_EQ(sw.divLevel, 8);
    EXPECT_EQ(host.savedLevels, (std::vector<int32_t>{8}));
    EXPECT_FALSE(machine.dragging());
}

TEST_F(PaletteTest, ModeCellCyclesOnAClickAndEditsAllAxesOnADrag) {
    CurveWithCurrentAnchor();
    const PalettePoint at = Centre(kCellEditMode);
    for (EditMode next : {EditMode::Scale, EditMode::Rotate, EditMode::Move}) {
        Drag(at, {at.x + 4, at.y});  // within the double-click width: a click
        EXPECT_EQ(sw.editMode, next);
    }
    EXPECT_FALSE(doc.modified);
    // Beyond the width every unlocked axis moves; the mode stays Move.
    host.cursor = at;
    machine.ButtonDown();
    host.cursor.x = at.x + 3;
    machine.MouseMove();
    EXPECT_FLOAT_EQ(obj().points[0].x, 0.5f) << "not yet beyond the width";
    host.cursor.x = at.x + 23;
    machine.MouseMove();
    machine.ButtonUp();
    EXPECT_EQ(sw.editMode, EditMode::Move);
    EXPECT_NEAR(obj().points[0].x, 0.52f, 1e-5);
    EXPECT_NEAR(obj().points[0].y, 1.02f, 1e-5);
    EXPECT_NEAR(obj().points[0].z, 2.02f, 1e-5);
    EXPECT_TRUE(doc.modified);
}

TEST_F(PaletteTest, FieldDragsMoveByAThousandthOrAFiftiethAPixel) {
    CurveWithCurrentAnchor();
    const PalettePoint at = Centre(kCellFieldX);
    Drag(at, {at.x + 100, at.y});
    EXPECT_NEAR(obj().points[0].x, 0.6f, 1e-5);
    EXPECT_NEAR(obj().points[2].x, 0.6f + 1.0f / 3, 1e-5) << "the anchor's handle goes along";
    EXPECT_TRUE(doc.modified);
    host.now += 1000;
    host.buttons = kPaletteSecondary;
    Drag(Centre(kCellFieldZ), {Centre(kCellFieldZ).x - 10, at.y});
    EXPECT_NEAR(obj().points[0].z, 1.8f, 1e-5);
    EXPECT_TRUE(DocumentInvariantsHold(doc));

    // A locked axis takes no press; neither does a field without a current point.
    host.now += 1000;
    sw.axisLock = 1;
    host.cursor = at;
    machine.ButtonDown();
    EXPECT_FALSE(machine.dragging());
    sw.axisLock = 0;
    doc.activePoint = -1;
    machine.ButtonDown();
    EXPECT_FALSE(machine.dragging());
}

TEST_F(PaletteTest, SecondPressWithinTheDoubleClickTimeMirrorsAndStartsNoDrag) {
    CurveWithCurrentAnchor();
    doc.selectedAnchors = {0, 1};
    const PalettePoint at = Centre(kCellFieldY);
    host.cursor = at;
    machine.ButtonDown();
    EXPECT_EQ(machine.dragCell(), kCellFieldY);
    machine.ButtonUp();
    doc.modified = false;
    host.now += 300;
    machine.ButtonDown();
    EXPECT_FALSE(machine.dragging());
    EXPECT_FLOAT_EQ(obj().points[0].y, -1.0f);
    EXPECT_FLOAT_EQ(obj().points[1].y, -1.0f);
    EXPECT_TRUE(doc.modified) << "a mirrored selection must not be lost on Exit";
    machine.ButtonUp();
    host.now += 100;
    machine.ButtonDown();
    EXPECT_EQ(machine.dragCell(), kCellFieldY) << "a third press drags again";
    machine.ButtonUp();
    // Too slow for a double click: a second drag, no mirror.
    host.now += 401;
    machine.ButtonDown();
    EXPECT_EQ(machine.dragCell(), kCellFieldY);
    machine.ButtonUp();
    EXPECT_FLOAT_EQ(obj().points[0].y, -1.0f);
    // Quick, but on another field or away from the first press: a new drag each time.
    host.now += 100;
    host.cursor = Centre(kCellFieldZ);
    machine.ButtonDown();
    EXPECT_EQ(machine.dragCell(), kCellFieldZ);
    machine.ButtonUp();
    host.now += 100;
    host.cursor.x += 20;
    machine.ButtonDown();
    EXPECT_EQ(machine.dragCell(), kCellFieldZ);
    machine.ButtonUp();
    EXPECT_FLOAT_EQ(obj().points[0].z, 2.0f);
    host.cursor = at;

    // With no object active the double click has nothing to mirror.
    doc.currentObject = -1;
    host.now += 1000;
    machine.ButtonDown();
    machine.ButtonUp();
    host.now += 100;
    machine.ButtonDown();
    EXPECT_FALSE(machine.dragging());
    EXPECT_FLOAT_EQ(doc.objects[0].points[0].y, -1.0f);
}

TEST_F(PaletteTest, RoundingButtonsWorkOneDecimalAtATime) {
    EXPECT_NEAR(RoundingTarget(-1.2345, Rounding::Floor), -1.24, 1e-9);
    EXPECT_NEAR(RoundingTarget(1.2345, Rounding::Floor), 1.23, 1e-9);
    EXPECT_NEAR(RoundingTarget(1.2355, Rounding::Round), 1.24, 1e-9);
    EXPECT_NEAR(RoundingTarget(1.2345, Rounding::Round), 1.23, 1e-9);
    EXPECT_NEAR(RoundingTarget(-1.2355, Rounding::Round), -1.24, 1e-9);
    EXPECT_NEAR(RoundingTarget(1.25, Rounding::Round), 1.3, 1e-9);
    EXPECT_EQ(RoundingTarget(3.7, Rounding::Zero), 0.0);
    // Truncate removes one place a press until nothing is left to judge.
    double v = 1.2345;
    for (double want : {1.23, 1.2, 1.0, 1.0}) {
        v = RoundingTarget(static_cast<float>(v), Rounding::Truncate);
        EXPECT_NEAR(v, want, 1e-6);
    }
    // The fourth decimal is never judged.
    EXPECT_EQ(RoundingTarget(2.0004, Rounding::Round), 2.0004);

    // On the palette: Floor under the X field takes the current anchor to the target.
    CurveWithCurrentAnchor();
    obj().points[0].x = -1.2345f;
    Click(Centre(kCellFieldX + 2));  // floor
    EXPECT_NEAR(obj().points[0].x, -1.24f, 1e-5);
    EXPECT_EQ(FieldText(obj().points[0].x), "-1.240");
    Click(Centre(kCellFieldY + 1));  // zero
    EXPECT_FLOAT_EQ(obj().points[0].y, 0.0f);
    EXPECT_TRUE(doc.modified);
    // Rotate: the angle about Z of the anchor around the pivot (the origin) becomes 0.
    sw.editMode = EditMode::Rotate;
    obj().points[0].x = 1.0f;
    obj().points[0].y = 1.0f;
    RecomputePivot(doc, sw);
    EXPECT_NEAR(PaletteFieldValue(doc, sw, host.views, 2), 45.0f, 1e-4);
    Click(Centre(kCellFieldZ + 1));  // zero
    EXPECT_NEAR(PaletteFieldValue(doc, sw, host.views, 2), 0.0f, 1e-3);
    EXPECT_NEAR(obj().points[0].x, std::sqrt(2.0f), 1e-5);
    // Without a current point the buttons do nothing.
    doc.activePoint = -1;
    doc.modified = false;
    Click(Centre(kCellFieldX + 1));
    EXPECT_FALSE(doc.modified);
}

TEST_F(PaletteTest, FieldsShowPointHandleOrPictureValuesByMode) {
    // Anchor (2, 1, 0) with a handle at (2, 3, 4); pivot at the origin.
    AddPoint(obj(), 2.0f, 1.0f, 0.0f);
    AddPoint(obj(), 2.0f, 3.0f, 4.0f, 0);
    doc.selectedAnchors = {0};
    doc.activePoint = 0;
    auto field = [&](int k) { return PaletteFieldValue(doc, sw, host.views, k); };
    EXPECT_FLOAT_EQ(field(0), 2.0f);
    sw.editMode = EditMode::Scale;
    doc.pivot = Vec3{0.5f, 0.5f, 0.5f};
    EXPECT_FLOAT_EQ(field(0), 1.5f);
    sw.editMode = EditMode::Rotate;
    EXPECT_NEAR(field(2), 180.0 / 3.14159265 * std::atan2(0.5, 1.5), 1e-3);
    // The handle counts from its anchor in every mode.
    doc.activePoint = 1;
    EXPECT_NEAR(field(0), 180.0 / 3.14159265 * std::atan2(4.0, 2.0), 1e-3);
    sw.editMode = EditMode::Move;
    EXPECT_FLOAT_EQ(field(1), 2.0f);
    sw.editMode = EditMode::Scale;
    EXPECT_FLOAT_EQ(field(2), 4.0f);
    doc.activePoint = -1;
    EXPECT_FLOAT_EQ(field(0), 0.0f);

    // No object active: the current view's picture, shown as stored.
    doc.currentObject = -1;
    doc.backPictures[kBackFront].scale = Vec3{2.0f, 3.0f, 1.0f};
    doc.backPictures[kBackFront].rotation = Vec3{0.0f, 0.0f, 90.0f};
    EXPECT_FLOAT_EQ(field(1), 3.0f);
    sw.editMode = EditMode::Rotate;
    EXPECT_FLOAT_EQ(field(2), 90.0f);
    // A drag there moves the picture of every orthographic view (Front is one of them).
    host.views.views = FourViewLayoutViews();
    sw.editMode = EditMode::Move;
    Drag(Centre(kCellFieldX), {Centre(kCellFieldX).x + 250, 10});
    EXPECT_FLOAT_EQ(doc.backPictures[kBackFront].position.x, 0.25f);
    EXPECT_TRUE(doc.modified);
    // Select all has no object to act on.
    const std::vector<int32_t> selected = doc.selectedAnchors;
    Click(Centre(kCellSelectAll));
    Click(Centre(kCellInvert));
    EXPECT_EQ(doc.selectedAnchors, selected);
    // The label reads BG; the fields are hidden without a current view.
    auto texts = [&](const PaletteViews& v) {
        std::vector<std::string> out;
        for (const PaletteDrawItem& item : PaletteDrawList(doc, sw, v, false, -1))
            if (item.kind == PaletteDrawItem::Kind::Text) out.push_back(item.text);
        return out;
    };
    EXPECT_EQ(texts(host.views).front(), "BG");
    PaletteViews none = host.views;
    none.currentSlot = -1;
    EXPECT_EQ(texts(host.views).size(), texts(none).size() + 3);
}

TEST_F(PaletteTest, HandleModeHidesPivotDeleteAndDuplicateAndShowsTheHandleTools) {
    CurveWithCurrentAnchor();
    Click(Centre(kCellHandleMode));
    ASSERT_EQ(sw.handleMode, 1);
    auto iconsDrawn = [&] {
        std::vector<int> ids;
        for (const PaletteDrawItem& item : PaletteDrawList(doc, sw, host.views, false, -1))
            if (item.kind == PaletteDrawItem::Kind::Icon) ids.push_back(item.icon);
        return ids;
    };
    const std::vector<int> ids = iconsDrawn();
    for (int hidden : {316, 317, 332, 333, 334, 335})
        EXPECT_EQ(std::count(ids.begin(), ids.end(), hidden), 0) << hidden;
    for (int shown : {319, 336, 337})
        EXPECT_EQ(std::count(ids.begin(), ids.end(), shown), 1) << shown;
    const size_t points = obj().points.size();
    Click(Centre(kCellDelete));
    Click(Centre(kCellDuplicate));
    Click(Centre(kCellPivotMode));
    EXPECT_EQ(obj().points.size(), points);
    EXPECT_EQ(sw.pivotMode, 0);
    Click(Centre(kCellExtrude));
    EXPECT_EQ(host.extrudes, 0) << "Smooth in handle mode, not the extrude dialog";
    // Back in point mode the buttons act: extrude and lathe ask their dialogs.
    Click(Centre(kCellHandleMode));
    Click(Centre(kCellExtrude));
    Click(Centre(kCellLathe));
    EXPECT_EQ(host.extrudes, 1);
    EXPECT_EQ(host.lathes, 1);
    Click(Centre(kCellSelectAll));
    EXPECT_EQ(doc.selectedAnchors.size(), 2u);
    Click(Centre(kCellDuplicate));
    EXPECT_EQ(obj().points.size(), 2 * points);
    EXPECT_TRUE(DocumentInvariantsHold(doc));
}

TEST_F(PaletteTest, LayerFieldMovesTheCurrentPointBetweenLayers) {
    CurveWithCurrentAnchor();
    const PalettePoint at = Centre(kCellLayer);
    Drag(at, {at.x + 16, at.y});
    EXPECT_EQ(obj().points[0].layer, 2);
    Drag(at, {at.x + 200, at.y});
    EXPECT_EQ(obj().points[0].layer, 5);
    // The field reads the layer and the point number, which must end before the layer-0
    // switch covers its last digit.
    bool number = false;
    for (const PaletteDrawItem& item : PaletteDrawList(doc, sw, host.views, false, -1)) {
        if (item.text != "No.0000") continue;
        number = true;
        EXPECT_GT(item.room, 0);
        EXPECT_EQ(item.x + item.room, PaletteCells()[kCellFirstLayerSwitch].rect.left);
    }
    EXPECT_TRUE(number);
    doc.activePoint = -1;
    host.cursor = at;
    machine.ButtonDown();
    EXPECT_FALSE(machine.dragging());
}

TEST_F(PaletteTest, AReleaseOutsideTheWindowEndsTheDragFromTheIdlePoll) {
    CurveWithCurrentAnchor();
    host.cursor = Centre(kCellFieldX);
    machine.ButtonDown();
    host.cursor = {host.cursor.x + 50, 300};  // below the strip, button held
    machine.IdlePoll();
    EXPECT_TRUE(machine.dragging());
    EXPECT_NEAR(obj().points[0].x, 0.55f, 1e-5);
    host.buttons = 0;
    machine.IdlePoll();
    EXPECT_FALSE(machine.dragging());
    EXPECT_TRUE(doc.modified);
    // A lost capture ends a drag as a release would.
    host.buttons = kPalettePrimary;
    host.now += 1000;
    host.cursor = Centre(kCellDivLevel);
    machine.ButtonDown();
    machine.CaptureLost();
    EXPECT_FALSE(machine.dragging());
    EXPECT_EQ(host.savedLevels.size(), 1u);
}

}  // namespace
}  // namespace zarni
