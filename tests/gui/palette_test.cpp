// The tool palette in the real window, driven with pointer events from the X server: the
// view-count switch, field drags, the double click that mirrors, a rounding button, a layer
// switch, the extrude dialog and the division level written on release.
#include <GL/glu.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "dialog_answers.h"
#include "gl/pick.h"
#include "gui_fixture.h"
#include "resources/ids.h"
#include "rules/palette.h"
#include "tests/core/ops_fixtures.h"
#include "ui/shape_dialogs.h"
#include "ui/tool_palette.h"
#include "ui/views.h"

namespace zarni {
namespace {

class PaletteGui : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        std::remove(std::getenv("ZARNI_INI"));
        frame = Start();
        frame->Raise();
        ASSERT_NE(ThePaletteMachine(), nullptr);
    }

    // The screen point of a cell's centre, shifted by (dx, dy).
    wxPoint At(int cell, int dx = 0, int dy = 0) const {
        const CellRect& r = PaletteCells()[cell].rect;
        return frame->ClientToScreen(
            wxPoint((r.left + r.right) / 2 + dx, (r.top + r.bottom) / 2 + dy));
    }
    void MoveTo(wxPoint p) {
        sim.MouseMove(p);
        Pump(20);
    }
    void Click(int cell) {
        MoveTo(At(cell));
        sim.MouseClick();
        Pump(20);
    }
    // Moves in small steps, as a hand does.
    void DragX(int cell, int dx, int button = wxMOUSE_BTN_LEFT) {
        MoveTo(At(cell));
        sim.MouseDown(button);
        Pump(20);
        const int steps = 5;
        for (int i = 1; i <= steps; ++i)
            MoveTo(At(cell, dx * i / steps));
        sim.MouseUp(button);
        Pump(20);
    }

    // A curve from (0.5, 1, 0) to (1.5, 1, 0) in the current object, anchor 0 current and both
    // anchors selected.
    void CurveSelected() {
        PatchObject& obj = *App().doc.Current();
        opsfix::AddFreeCurve(obj, 0.5f, 1.0f, 1.5f, 1.0f);
        App().doc.selectedAnchors = {1, 0};
        App().doc.activePoint = 0;
        RebuildControlCaches(App().doc);
        RecomputePivot(App().doc, App().sw);
        RedrawPalette();
        RedrawAllViews();
        Pump(50);
    }

    static std::string SettingsText() {
        std::ifstream in(std::getenv("ZARNI_INI"));
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    MainFrame* frame = nullptr;
    wxUIActionSimulator sim;
};

TEST_F(PaletteGui, ViewCountSwitchAndModeCell) {
    ViewSet& views = frame->views();
    ASSERT_FALSE(views.fourViews());
    Click(kCellViewCount);
    EXPECT_TRUE(WaitUntil([&] { return views.fourViews() && views.viewCount() == 4; }));
    Click(kCellViewCount);
    EXPECT_TRUE(WaitUntil([&] { return !views.fourViews(); }));
    Click(kCellEditMode);
    EXPECT_TRUE(WaitUntil([] { return App().sw.editMode == EditMode::Scale; }));
}

TEST_F(PaletteGui, DraggingTheXFieldMovesTheCurrentPoint) {
    CurveSelected();
    const PatchObject& obj = *App().doc.Current();
    DragX(kCellFieldX, 200);
    // 200 pixels at a thousandth each, both selected anchors with their handles.
    EXPECT_TRUE(WaitUntil([&] {
        return !ThePaletteMachine()->dragging() && std::abs(obj.points[1].x - 1.7f) < 1e-4f;
    }));
    EXPECT_NEAR(obj.points[0].x, 0.7f, 1e-4);
    EXPECT_NEAR(obj.points[1].x, 1.7f, 1e-4);
    EXPECT_NEAR(obj.points[0].y, 1.0f, 1e-6);
    EXPECT_TRUE(App().doc.modified);
    // The right button moves a fiftieth a pixel, and a drag may leave the window.
    const float y0 = obj.points[0].y;
    MoveTo(At(kCellFieldY));
    sim.MouseDown(wxMOUSE_BTN_RIGHT);
    Pump(20);
    MoveTo(At(kCellFieldY, 0, 200));  // down into the view
    MoveTo(At(kCellFieldY, -10, 200));
    sim.MouseUp(wxMOUSE_BTN_RIGHT);
    // The release may come before the press was read: wait for the moved point too.
    EXPECT_TRUE(WaitUntil([&] {
        return !ThePaletteMachine()->dragging() && std::abs(obj.points[0].y - (y0 - 0.2f)) < 1e-4f;
    }));
    EXPECT_NEAR(obj.points[0].y, y0 - 0.2f, 1e-4);
}

TEST_F(PaletteGui, DoubleClickOnTheYFieldMirrorsTheSelection) {
    CurveSelected();
    const PatchObject& obj = *App().doc.Current();
    MoveTo(At(kCellFieldY));
    // Two quick clicks: the toolkit reports the second as a double click.
    sim.MouseDblClick();
    EXPECT_TRUE(WaitUntil([&] { return obj.points[0].y < 0.0f; }));
    EXPECT_FLOAT_EQ(obj.points[0].y, -1.0f);
    EXPECT_FLOAT_EQ(obj.points[1].y, -1.0f);
    EXPECT_FLOAT_EQ(obj.points[0].x, 0.5f);
    Pump(50);
    EXPECT_FALSE(ThePaletteMachine()->dragging());
}

TEST_F(PaletteGui, RoundingButtonAndLayerSwitch) {
    CurveSelected();
    PatchObject& obj = *App().doc.Current();
    obj.points[0].x = 0.5678f;
    RedrawPalette();
    Click(kCellFieldX + 2);  // floor
    EXPECT_TRUE(WaitUntil([&] { return std::abs(obj.points[0].x - 0.56f) < 1e-5f; }))
        << obj.points[0].x;
    Click(kCellFieldX + 4);  // truncate: one place less
    EXPECT_TRUE(WaitUntil([&] { return std::abs(obj.points[0].x - 0.5f) < 1e-5f; }))
        << obj.points[0].x;

    // Layer 0 off: its points can no longer be picked in the view.
    ViewPanel* view = frame->views().view(0);
    RedrawAllViews();
    Pump(60);
    auto pickAnchor = [&] {
        CursorPoint at{};
        const std::array<float, 3> p{obj.points[1].x, obj.points[1].y, obj.points[1].z};
        GLdouble x, y, z;
        const ViewCamera& c = view->camera;
        GLint vp[4] = {c.viewport[0], c.viewport[1], c.viewport[2], c.viewport[3]};
        gluProject(p[0], p[1], p[2], c.modelview.data(), c.projection.data(), vp, &x, &y, &z);
        at.x = static_cast<int32_t>(x);
        at.y = c.viewport[3] - 1 - static_cast<int32_t>(y);
        return frame->views().PickPoint(view->camera, at).index;
    };
    EXPECT_EQ(pickAnchor(), 1);
    Click(kCellFirstLayerSwitch);
    EXPECT_TRUE(WaitUntil([] { return App().sw.layerVisible[0] == 0; }));
    EXPECT_EQ(pickAnchor(), -1);
    Click(kCellFirstLayerSwitch);
    EXPECT_TRUE(WaitUntil([] { return App().sw.layerVisible[0] != 0; }));
    EXPECT_EQ(pickAnchor(), 1);
}

TEST_F(PaletteGui, ExtrudeButtonAsksWithItsDialogAndSweepsOnOk) {
    CurveSelected();
    const PatchObject& obj = *App().doc.Current();
    std::string shown;
    // The dialog opens when the click is read, which may take longer than the click itself.
    wxTEST_DIALOG(
        {
            Click(kCellExtrude);
            WaitUntil([&] { return !shown.empty(); });
        },
        AnswerDialog<ExtrudeDialog>([&](ExtrudeDialog* d) {
            shown = EditText(d, kExtrudeLengthId);
            return static_cast<int>(wxID_OK);
        }));
    EXPECT_EQ(shown, "600");
    ASSERT_EQ(obj.patches.size(), 1u);
    // The default sweep is 0.6 along +Z; the copies are selected.
    ASSERT_EQ(App().doc.selectedAnchors.size(), 2u);
    EXPECT_NEAR(obj.points[App().doc.selectedAnchors[0]].z, 0.6f, 1e-5);
}

TEST_F(PaletteGui, DivisionLevelIsWrittenOnReleaseNotBefore) {
    const int32_t before = App().sw.divLevel;
    MoveTo(At(kCellDivLevel));
    sim.MouseDown();
    Pump(20);
    for (int i = 1; i <= 3; ++i)
        MoveTo(At(kCellDivLevel, 7 * i));
    EXPECT_TRUE(WaitUntil([&] { return App().sw.divLevel == before + 3; })) << App().sw.divLevel;
    EXPECT_EQ(SettingsText().find("DivLevel"), std::string::npos) << "nothing written yet";
    sim.MouseUp();
    EXPECT_TRUE(WaitUntil([&] { return !ThePaletteMachine()->dragging(); }));
    const std::string text = SettingsText();
    EXPECT_NE(text.find("DivLevel=" + std::to_string(before + 3)), std::string::npos) << text;
}

TEST_F(PaletteGui, AnAllAxesDragThatComesBackIsStillADrag) {
    CurveSelected();
    const PatchObject& obj = *App().doc.Current();
    ASSERT_EQ(App().sw.editMode, EditMode::Move);
    App().history.Commit(App().doc);
    App().history.MarkSaved();
    App().doc.modified = false;
    const float x0 = obj.points[0].x;
    // Out past the click distance (the edit runs), then back beside the press.
    MoveTo(At(kCellEditMode));
    sim.MouseDown();
    Pump(20);
    for (int dx : {10, 20, 30, 20, 10, 2})
        MoveTo(At(kCellEditMode, dx));
    sim.MouseUp();
    ASSERT_TRUE(WaitUntil([] { return !ThePaletteMachine()->dragging(); }));
    EXPECT_NE(obj.points[0].x, x0);
    EXPECT_EQ(App().sw.editMode, EditMode::Move) << "a drag's release cycles no mode";
    EXPECT_TRUE(App().doc.modified);
}

TEST_F(PaletteGui, ThePointNumberFitsBeforeTheLayerSwitches) {
    CurveSelected();
    App().doc.activePoint = 3;
    RedrawPalette();
    const auto number = [] {
        for (const PaletteShownText& t : PaletteShownTexts())
            if (t.text.rfind("No.", 0) == 0) return t;
        return PaletteShownText{};
    };
    ASSERT_EQ(number().text, "No.0003");
    EXPECT_LE(number().x + number().width, PaletteCells()[kCellFirstLayerSwitch].rect.left);
    EXPECT_GT(number().width, 0);
}

TEST_F(PaletteGui, TheLabelFollowsAnOpenedDocument) {
    Document other = NewDocument();
    other.objects[0].name = "Wing";
    const std::string path = Path("wing.zarni");
    ASSERT_EQ(WriteDocumentFile(other, path), kFileOk);
    const auto label = [] {
        const std::vector<PaletteShownText> texts = PaletteShownTexts();
        return texts.empty() ? std::string() : texts.front().text;
    };
    ASSERT_EQ(label(), "1:OBJ_001");
    // The pointer stays away from the strip: nothing but the read may draw it again.
    MoveTo(frame->ClientToScreen(wxPoint(400, 300)));
    wxTEST_DIALOG(Command(frame, kCmdOpen), wxExpectModal<wxFileDialog>(path));
    ASSERT_EQ(App().doc.objects[0].name, "Wing");
    EXPECT_TRUE(WaitUntil([&] { return label() == "1:Wing"; })) << label();
}

}  // namespace
}  // namespace zarni
