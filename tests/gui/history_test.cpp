// Undo and redo in the program with real pointer and key events, the change mark following the
// saved state, and Open, Append and Save through the file dialog.
#include <wx/menu.h>
#include <wx/uiaction.h>

#include <cmath>
#include <fstream>

#include "gui_fixture.h"
#include "resources/ids.h"
#include "rules/palette.h"
#include "tests/core/ops_fixtures.h"
#include "ui/tool_palette.h"
#include "ui/views.h"
#include "view/drag.h"

namespace zarni {
namespace {

class HistoryGui : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        frame = Start();
        frame->Raise();
        view = frame->views().view(0);
    }

    void MoveInView(int x, int y) {
        sim.MouseMove(view->ClientToScreen(wxPoint(x, y)));
        Pump(25);
    }
    void Press(int button = wxMOUSE_BTN_LEFT) {
        sim.MouseDown(button);
        Pump(25);
    }
    void Release(int button = wxMOUSE_BTN_LEFT) {
        sim.MouseUp(button);
        Pump(25);
    }
    // A key with Ctrl (and Shift) held, sent to the view under the pointer.
    void CtrlKey(int key, bool shift = false) {
        view->SetFocus();
        sim.Char(key, wxMOD_CONTROL | (shift ? wxMOD_SHIFT : 0));
        Pump(40);
    }
    wxPoint FieldX(int dx = 0) const {
        const CellRect& r = PaletteCells()[kCellFieldX].rect;
        return frame->ClientToScreen(wxPoint((r.left + r.right) / 2 + dx, (r.top + r.bottom) / 2));
    }
    const PatchObject& Current() const { return *App().doc.Current(); }
    wxString Caption() const { return frame->GetTitle(); }

    MainFrame* frame = nullptr;
    ViewPanel* view = nullptr;
    wxUIActionSimulator sim;
};

TEST_F(HistoryGui, ADrawnCurveIsUndoneAndRedoneWithTheKeys) {
    wxMenuBar* bar = frame->GetMenuBar();
    EXPECT_FALSE(bar->IsEnabled(kCmdUndo));
    EXPECT_FALSE(bar->IsEnabled(kCmdRedo));
    const wxSize size = view->GetClientSize();
    const int cx = size.x / 2, cy = size.y / 2;
    // Double click, drag the start handle, click the end, right click to finish.
    MoveInView(cx - 100, cy);
    Press();
    Release();
    Press();
    MoveInView(cx - 60, cy - 60);
    Release();
    MoveInView(cx + 100, cy);
    Press();
    Release();
    MoveInView(cx, cy + 80);
    Press(wxMOUSE_BTN_RIGHT);
    Release(wxMOUSE_BTN_RIGHT);
    // The view reads the input at its own pace: wait for the finished curve.
    ASSERT_TRUE(WaitUntil([&] {
        return frame->views().dragState() == kDragIdle && Current().segments.size() == 1u;
    })) << "drag state "
        << frame->views().dragState() << ", " << Current().segments.size() << " segments";
    ASSERT_TRUE(WaitUntil([&] { return bar->IsEnabled(kCmdUndo); }));
    EXPECT_TRUE(Caption().EndsWith(" *"));

    CtrlKey('Z');
    EXPECT_TRUE(WaitUntil([&] { return Current().segments.empty(); }));
    EXPECT_EQ(Current().pointCount(), 0);
    EXPECT_TRUE(WaitUntil([&] { return bar->IsEnabled(kCmdRedo); }));
    EXPECT_FALSE(App().doc.modified) << "back at the state the program started with";
    CtrlKey('Y');
    EXPECT_TRUE(WaitUntil([&] { return Current().segments.size() == 1u; }));
    EXPECT_EQ(Current().pointCount(), 4);
    CtrlKey('Z');
    ASSERT_TRUE(WaitUntil([&] { return Current().segments.empty(); }));
    CtrlKey('Z', true);  // Ctrl+Shift+Z redoes too
    EXPECT_TRUE(WaitUntil([&] { return Current().segments.size() == 1u; }));
    EXPECT_TRUE(App().doc.modified);
}

TEST_F(HistoryGui, APaletteDragIsOneStep) {
    Command(frame, kCmdCircle4);  // selects the circle's anchors
    Pump(50);
    ASSERT_GE(App().doc.activePoint, 0);
    const float x0 = Current().points[App().doc.activePoint].x;
    const int32_t active = App().doc.activePoint;
    sim.MouseMove(FieldX());
    Pump(25);
    sim.MouseDown();
    Pump(25);
    for (int i = 1; i <= 6; ++i) {
        sim.MouseMove(FieldX(20 * i));
        Pump(25);
    }
    sim.MouseUp();
    // Not dragging holds before the press is read too: wait for the moved point as well.
    ASSERT_TRUE(WaitUntil([&] {
        return !ThePaletteMachine()->dragging() &&
               std::abs(Current().points[active].x - (x0 + 0.12f)) < 1e-4f;
    })) << Current().points[active].x;
    Pump(50);
    CtrlKey('Z');
    EXPECT_TRUE(WaitUntil([&] { return Current().points[active].x == x0; }));
    EXPECT_EQ(Current().pointCount(), 12) << "one step: the circle is still there";
    CtrlKey('Z');
    EXPECT_TRUE(WaitUntil([&] { return Current().pointCount() == 0; }));
}

TEST_F(HistoryGui, TheChangeMarkFollowsTheSavedStateAndSaveWritesTheOwnFile) {
    Command(frame, kCmdCircle4);
    Pump(50);
    const std::string path = Path("mark.zarni");
    wxTEST_DIALOG(Command(frame, kCmdSaveAs), wxExpectModal<wxFileDialog>(path));
    EXPECT_FALSE(App().doc.modified);
    EXPECT_TRUE(WaitUntil([&] { return Caption() == "Zarni!_ver0.1a - mark.zarni"; }));
    Command(frame, kCmdCircle8);
    ASSERT_TRUE(WaitUntil([&] { return Caption() == "Zarni!_ver0.1a - mark.zarni *"; }));
    CtrlKey('Z');
    EXPECT_TRUE(WaitUntil([&] { return !App().doc.modified; })) << "undone to the saved state";
    EXPECT_TRUE(WaitUntil([&] { return Caption() == "Zarni!_ver0.1a - mark.zarni"; }));
    CtrlKey('Y');
    EXPECT_TRUE(WaitUntil([&] { return App().doc.modified; }));
    // Ctrl+S writes the document's own file without asking.
    CtrlKey('S');
    EXPECT_TRUE(WaitUntil([&] { return !App().doc.modified; }));
    Document saved;
    ASSERT_EQ(ReadDocumentFile(saved, App().sw, App().clipboard, path, {}, nullptr), kFileOk);
    EXPECT_EQ(saved.objects[0].pointCount(), 12 + 24);
}

TEST_F(HistoryGui, OpenAndAppendThroughTheDialog) {
    const std::string two = WriteSample("two.zarni", 2);
    const std::string one = WriteSample("one.zarni", 1);
    // The untouched window takes the opened file.
    wxTEST_DIALOG(Command(frame, kCmdOpen), wxExpectModal<wxFileDialog>(two));
    EXPECT_EQ(App().doc.objectCount(), 2);
    EXPECT_EQ(App().documentPath, two);
    EXPECT_TRUE(started.empty());
    // Append adds the objects of another file, as a step of its own.
    wxTEST_DIALOG(Command(frame, kCmdAppend), wxExpectModal<wxFileDialog>(one));
    EXPECT_EQ(App().doc.objectCount(), 3);
    Pump(50);
    CtrlKey('Z');
    EXPECT_TRUE(WaitUntil([] { return App().doc.objectCount() == 2; }));
    // With a document in the window, Open starts a new window for the file.
    wxTEST_DIALOG(Command(frame, kCmdOpen), wxExpectModal<wxFileDialog>(one));
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], std::vector<std::string>{one});
    EXPECT_EQ(App().doc.objectCount(), 2);
    // A file that cannot be read changes nothing.
    const std::string bad = Path("bad.zarni");
    { std::ofstream(bad) << "not a document"; }
    wxTEST_DIALOG(
        {
            Command(frame, kCmdAppend);
            Pump(50);
        },
        wxExpectModal<wxFileDialog>(bad), wxExpectModal<wxMessageDialog>(wxID_OK));
    EXPECT_EQ(App().doc.objectCount(), 2);
}

}  // namespace
}  // namespace zarni
