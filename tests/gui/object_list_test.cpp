// The object list in the real windows, driven with pointer events from the X server: opened by
// the palette's object tab, rows in reverse order, picks, a rename, New, Delete, Merge and BG,
// the double click that closes it, the reopen lock, scrolling, dropped files and the views'
// focus that must not close it from under the pointer.
#include <wx/button.h>
#include <wx/dnd.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <chrono>
#include <cstdio>

#include "gui_fixture.h"
#include "model/settings.h"
#include "rules/palette.h"
#include "ui/object_list.h"
#include "ui/symmetry_dialog_window.h"
#include "ui/tool_palette.h"
#include "ui/hsv_dialog_window.h"
#include "ui/views.h"

namespace zarni {
namespace {

// A modal dialog answered by `answer` instead of the user.
template <typename Dialog>
class Answer : public wxExpectModalBase<Dialog, Answer<Dialog>> {
  public:
    explicit Answer(std::function<int(Dialog*)> answer) : answer_(std::move(answer)) {}

  protected:
    int OnInvoked(Dialog* dialog) const override { return answer_(dialog); }

  private:
    std::function<int(Dialog*)> answer_;
};

class ObjectListGui : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        std::remove(std::getenv("ZARNI_INI"));
        frame = Start();
        frame->Raise();
        list = TheObjectList();
        ASSERT_NE(list, nullptr);
        pane = list->pane();
        // Count the palette's requests, so a test knows its click on the tab arrived.
        toggle = g_toggleObjectList;
        g_toggleObjectList = [this] {
            ++toggles;
            toggle();
        };
    }

    void TearDown() override {
        if (TheObjectList()) g_toggleObjectList = toggle;
        GuiTest::TearDown();
    }

    // Objects named `names` in order, each with its own colour; the last is current.
    void MakeObjects(const std::vector<std::string>& names) {
        Document& doc = App().doc;
        for (size_t i = 0; i < names.size(); ++i) {
            if (i > 0) CreateObject(doc);
            doc.objects[i].name = names[i];
            doc.objects[i].color = {{0.1f * static_cast<float>(i + 1), 0.5f, 0.2f, 1.0f}};
        }
        RedrawPalette();
    }

    void MoveTo(wxPoint screen) {
        sim.MouseMove(screen);
        ASSERT_TRUE(WaitUntil([&] { return wxGetMousePosition() == screen; }));
    }
    void ClickAt(wxPoint screen) {
        MoveTo(screen);
        sim.MouseClick();
    }
    wxPoint TabPoint() const {
        const CellRect& r = PaletteCells()[kCellObjectTab].rect;
        return frame->ClientToScreen(wxPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
    // Clicks the tab and waits until the palette handed the click on.
    void ClickTab() {
        const int before = toggles;
        ClickAt(TabPoint());
        ASSERT_TRUE(WaitUntil([&] { return toggles == before + 1; }));
    }
    void OpenList() {
        ClickTab();
        ASSERT_TRUE(WaitUntil([&] { return list->visible() && list->IsShownOnScreen(); }));
        ASSERT_TRUE(WaitUntil([&] { return pane->GetClientSize().y > 0; }));
    }
    // A point in pane row `row` at pane x.
    wxPoint RowPoint(int row, int x) const {
        return pane->ClientToScreen(
            wxPoint(x, row * kListRowHeight + kListRowHeight / 2 - pane->scroll().position));
    }
    void ClickButton(int id) {
        wxButton* b = list->button(id);
        ClickAt(b->GetScreenRect().GetPosition() + wxPoint(b->GetSize().x / 2, b->GetSize().y / 2));
    }
    std::string NameBoxText() const { return pane->nameBox()->GetValue().utf8_string(); }
    static std::string PaletteLabel() {
        for (const PaletteDrawItem& item :
             PaletteDrawList(App().doc, App().sw, PaletteViews{}, false, -1)) {
            if (item.kind == PaletteDrawItem::Kind::Text) return item.text;
        }
        return {};
    }
    // The colour the row image holds at (x, y).
    wxColour RowImagePixel(int x, int y) const {
        wxImage image = pane->rowImage().at(0).ConvertToImage();
        return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
    }

    MainFrame* frame = nullptr;
    ObjectListWindow* list = nullptr;
    ObjectListPane* pane = nullptr;
    std::function<void()> toggle;
    int toggles = 0;
    wxUIActionSimulator sim;
};

TEST_F(ObjectListGui, RowsReadFromTheLastObjectAndAClickPicks) {
    MakeObjects({"A", "B", "C"});
    OpenList();
    EXPECT_EQ(NameBoxText(), "C");
    // Placed below the palette's strip, at the main window's left edge.
    EXPECT_EQ(list->GetScreenPosition(), frame->ClientToScreen(wxPoint(0, 40)));
    EXPECT_EQ(list->GetSize().x, ObjectListWindow::kWidth);
    // The swatches read C, B, A from the top: red 0.3, 0.2, 0.1 truncated to bytes.
    ASSERT_EQ(pane->rowImage().size(), 1u);
    EXPECT_EQ(pane->rowImage()[0].GetHeight(), 3 * kListRowHeight);
    for (int row = 0; row < 3; ++row) {
        const int red = static_cast<int>(255 * (0.1f * static_cast<float>(3 - row)));
        EXPECT_EQ(RowImagePixel(20, row * kListRowHeight + 10).Red(), red) << "row " << row;
    }
    // Only the current row (the top one) is highlighted.
    EXPECT_NE(RowImagePixel(100, 10), *wxWHITE);
    EXPECT_EQ(RowImagePixel(100, kListRowHeight + 10), *wxWHITE);

    App().doc.activePoint = 3;
    ClickAt(RowPoint(1, 120));
    ASSERT_TRUE(WaitUntil([] { return App().doc.currentObject == 1; }));
    EXPECT_EQ(NameBoxText(), "B");
    EXPECT_EQ(App().doc.activePoint, -1) << "picking clears the point selection";
    EXPECT_EQ(PaletteLabel(), "2:B");
    EXPECT_TRUE(list->visible());
    // The name box moved onto the picked row.
    EXPECT_EQ(pane->nameBox()->GetPosition().y, kListRowHeight + 1);
    EXPECT_EQ(RowImagePixel(100, 10), *wxWHITE);
}

TEST_F(ObjectListGui, ARenameReachesTheObjectWhenAnotherRowIsPicked) {
    MakeObjects({"A", "B"});
    App().doc.modified = false;
    OpenList();
    wxTextCtrl* box = pane->nameBox();
    ClickAt(box->GetScreenRect().GetPosition() + wxPoint(30, 10));
    ASSERT_TRUE(WaitUntil([&] { return wxWindow::FindFocus() == box; }));
    box->SelectAll();
    sim.Text("Wing");
    ASSERT_TRUE(WaitUntil([&] { return NameBoxText() == "Wing"; }));
    EXPECT_EQ(App().doc.objects[1].name, "B") << "typing alone stores nothing";
    ClickAt(RowPoint(1, 120));
    ASSERT_TRUE(WaitUntil([] { return App().doc.currentObject == 0; }));
    EXPECT_EQ(App().doc.objects[1].name, "Wing");
    EXPECT_TRUE(App().doc.modified);
    EXPECT_EQ(NameBoxText(), "A");

    // Japanese text is stored as Shift_JIS; a character it cannot hold shows as '?' in the box
    // before anything is stored.
    box->SetValue(wxString::FromUTF8("翼\xF0\x9F\x98\x80"));
    EXPECT_EQ(NameBoxText(), "翼?");
    EXPECT_EQ(App().doc.objects[0].name, "A");
    list->HideList();
    EXPECT_EQ(App().doc.objects[0].name, "\x97\x83?");
}

TEST_F(ObjectListGui, NewDeleteMergeAndBackground) {
    MakeObjects({"A", "B"});
    AddCircle4(App().doc, App().sw);  // B has a circle
    App().doc.currentObject = 0;
    AddCircle4(App().doc, App().sw);
    App().doc.currentObject = 1;
    const int32_t points = App().doc.objects[0].pointCount() + App().doc.objects[1].pointCount();
    App().doc.modified = false;
    OpenList();

    ClickButton(kListNewId);
    ASSERT_TRUE(WaitUntil([] { return App().doc.objectCount() == 3; }));
    EXPECT_EQ(App().doc.currentObject, 2);
    EXPECT_TRUE(App().doc.modified);
    EXPECT_EQ(NameBoxText(), App().doc.objects[2].name);
    EXPECT_EQ(pane->rowImage()[0].GetHeight(), 3 * kListRowHeight);
    EXPECT_FALSE(list->button(kListAppendId)->IsEnabled());

    ClickButton(kListDeleteId);
    ASSERT_TRUE(WaitUntil([] { return App().doc.objectCount() == 2; }));
    EXPECT_EQ(App().doc.currentObject, 1);
    EXPECT_EQ(NameBoxText(), "B");

    ClickButton(kListMergeId);
    ASSERT_TRUE(WaitUntil([] { return App().doc.objectCount() == 1; }));
    EXPECT_EQ(App().doc.currentObject, 0);
    EXPECT_EQ(App().doc.objects[0].pointCount(), points);
    EXPECT_EQ(App().doc.objects[0].name, "A");

    // The last object stays, and neither button then changes the document.
    App().doc.modified = false;
    const uint64_t refreshes = pane->refreshCount();
    ClickButton(kListDeleteId);
    ASSERT_TRUE(WaitUntil([&] { return pane->refreshCount() > refreshes; }));
    ClickButton(kListMergeId);
    ASSERT_TRUE(WaitUntil([&] { return pane->refreshCount() > refreshes + 1; }));
    EXPECT_EQ(App().doc.objectCount(), 1);
    EXPECT_FALSE(App().doc.modified);

    // BG: no object active, the list closes and the palette reads "BG"; opening the list
    // again brings the object back.
    App().doc.activePoint = 0;
    ClickButton(kListBackgroundId);
    ASSERT_TRUE(WaitUntil([&] { return !list->visible(); }));
    EXPECT_EQ(App().doc.currentObject, -1);
    EXPECT_EQ(App().doc.activePoint, -1);
    EXPECT_EQ(PaletteLabel(), "BG");
    ASSERT_TRUE(WaitUntil([&] { return !list->reopenLocked(); }));
    OpenList();
    EXPECT_EQ(App().doc.currentObject, 0);
    EXPECT_EQ(PaletteLabel(), "1:A");
}

TEST_F(ObjectListGui, TwoClicksOnTheCurrentRowCloseAndTheListStaysShutForAWhile) {
    MakeObjects({"A", "B", "C"});
    OpenList();
    // A double click on another row only picks it.
    MoveTo(RowPoint(2, 190));
    sim.MouseDblClick();
    ASSERT_TRUE(WaitUntil([] { return App().doc.currentObject == 0; }));
    for (int i = 0; i < 10; ++i)
        wxTheApp->Yield(true);
    EXPECT_TRUE(list->visible());
    // Two clicks on the current row, beside the name box, close the list.
    const wxPoint current = RowPoint(2, 190);
    MoveTo(current);
    sim.MouseClick();
    sim.MouseClick();
    ASSERT_TRUE(WaitUntil([&] { return !list->visible(); }));
    EXPECT_TRUE(list->reopenLocked());
    // The tab right after does nothing until the lock runs out.
    ClickTab();
    EXPECT_FALSE(list->visible());
    ASSERT_TRUE(WaitUntil([&] { return !list->reopenLocked(); }));
    OpenList();
    EXPECT_TRUE(list->visible());
    // The tab hides the list again.
    ClickTab();
    EXPECT_TRUE(WaitUntil([&] { return !list->visible() && !list->IsShown(); }));
}

TEST_F(ObjectListGui, TheSwatchAndTheIconOpenTheirDialogs) {
    MakeObjects({"A", "B", "C"});
    App().doc.objects[1].color[3] = 0.5f;
    App().doc.currentObject = 1;
    App().doc.modified = false;
    OpenList();
    // The swatch of the current row: the colour dialog starts from the object's colour and
    // what it returns (here V turned to 0, black) is stored, alpha untouched.
    uint32_t shown = 0;
    wxTEST_DIALOG(
        {
            ClickAt(RowPoint(1, 20));
            ASSERT_TRUE(WaitUntil([] { return App().doc.modified; }));
        },
        Answer<HsvDialog>([&](HsvDialog* d) {
            shown = d->Result();
            auto* value = dynamic_cast<wxSpinCtrl*>(d->FindWindow(kHsvValueId));
            if (value) {
                value->SetValue(0);
                wxSpinEvent changed(wxEVT_SPINCTRL, kHsvValueId);
                changed.SetEventObject(value);
                value->GetEventHandler()->ProcessEvent(changed);
            }
            return wxID_OK;
        }));
    EXPECT_EQ(shown, ColorValueFromFloats(0.2f, 0.5f, 0.2f));
    const PatchObject& b = App().doc.objects[1];
    EXPECT_EQ(b.color, (std::array<float, 4>{{0.0f, 0.0f, 0.0f, 0.5f}}));
    EXPECT_EQ(RowImagePixel(20, kListRowHeight + 10), *wxBLACK);
    EXPECT_TRUE(list->visible());

    // The symmetry icon opens the symmetry dialog over the list.
    wxWindow* parent = nullptr;
    wxTEST_DIALOG(
        {
            ClickAt(RowPoint(1, 214));
            ASSERT_TRUE(WaitUntil([&] { return parent != nullptr; }));
        },
        Answer<SymmetryDialog>([&](SymmetryDialog* d) {
            parent = d->GetParent();
            return wxID_OK;
        }));
    EXPECT_EQ(parent, list);
    EXPECT_TRUE(list->visible());
}

TEST_F(ObjectListGui, TheViewsDoNotTakeTheFocusFromUnderTheList) {
    MakeObjects({"A", "B"});
    OpenList();
    ViewSet& views = frame->views();
    // The list covers the left of the views: the pointer over it leaves the focus alone.
    MoveTo(RowPoint(1, 120));
    views.TimerTick();
    for (int i = 0; i < 10; ++i)
        wxTheApp->Yield(true);
    EXPECT_TRUE(list->visible());
    // Over an uncovered part of a view the view takes the focus, the main window is active
    // again and the list closes.
    const wxRect area = frame->ViewArea();
    MoveTo(frame->ClientToScreen(wxPoint(area.x + area.width - 50, area.y + area.height / 2)));
    views.TimerTick();
    EXPECT_TRUE(WaitUntil([&] { return !list->visible(); }));
    // Right after, the tab does not bring it back.
    ClickTab();
    EXPECT_FALSE(list->visible());
}

TEST_F(ObjectListGui, ScrollingCopiesTheRowsAndKeepsTheNameBoxOnTheCurrentRow) {
    std::vector<std::string> names;
    for (int i = 0; i < 60; ++i)
        names.push_back("N" + std::to_string(i));
    MakeObjects(names);
    App().doc.currentObject = 50;  // row 9
    OpenList();
    ASSERT_TRUE(pane->scroll().Scrollable());
    const uint64_t refreshes = pane->refreshCount();
    const auto send = [&](wxEventType type, int position = 0) {
        wxScrollWinEvent event(type, position, wxVERTICAL);
        event.SetEventObject(pane);
        pane->GetEventHandler()->ProcessEvent(event);
    };
    send(wxEVT_SCROLLWIN_LINEDOWN);
    EXPECT_EQ(pane->scroll().position, 3);
    send(wxEVT_SCROLLWIN_PAGEDOWN);
    EXPECT_EQ(pane->scroll().position, 25);
    EXPECT_EQ(pane->nameBox()->GetPosition().y, 9 * kListRowHeight - 25 + 1);
    send(wxEVT_SCROLLWIN_THUMBTRACK, 150);
    EXPECT_EQ(pane->scroll().position, 150);
    EXPECT_EQ(pane->GetScrollPos(wxVERTICAL), 150);
    EXPECT_EQ(pane->refreshCount(), refreshes) << "scrolling never redraws the rows";
    // A pick in the scrolled pane: row 10 is at the top now minus 150 pixels.
    ClickAt(RowPoint(10, 120));
    ASSERT_TRUE(WaitUntil([] { return App().doc.currentObject == 49; }));
    EXPECT_EQ(pane->scroll().position, 150) << "a pick keeps the scroll position";
    EXPECT_EQ(pane->nameBox()->GetPosition().y, 10 * kListRowHeight - 150 + 1);
}

TEST_F(ObjectListGui, FilesDroppedOnTheListAreAppended) {
    MakeObjects({"A"});
    const std::string file = WriteSample("two.zarni", 2);
    OpenList();
    auto* drop = dynamic_cast<wxFileDropTarget*>(pane->GetDropTarget());
    ASSERT_NE(drop, nullptr);
    wxArrayString names;
    names.Add(wxString::FromUTF8(file));
    drop->OnDropFiles(10, 10, names);
    EXPECT_EQ(App().doc.objectCount(), 3);
    ASSERT_GE(App().doc.currentObject, 1) << "the appended file's current object is current";
    EXPECT_EQ(NameBoxText(), App().doc.Current()->name);
    EXPECT_TRUE(App().doc.modified);
    EXPECT_EQ(pane->rowImage()[0].GetHeight(), 3 * kListRowHeight);
    // Files dropped on the main window while the list is open show up in it as well.
    frame->OnFilesDropped({file});
    EXPECT_TRUE(WaitUntil([&] { return pane->rowImage()[0].GetHeight() == 5 * kListRowHeight; }));
}

// Not a timed test: prints what a refresh of 1,000 rows and a scroll step cost here.
TEST_F(ObjectListGui, ThousandObjectsRefreshAndScrollTimes) {
    std::vector<std::string> names;
    for (int i = 0; i < 1000; ++i)
        names.push_back("OBJ_" + std::to_string(i + 1));
    MakeObjects(names);
    OpenList();
    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    double refreshBest = 1e9, drawBest = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        pane->RefreshFromDocument();
        drawBest = std::min(drawBest, ms(Clock::now() - start));
        pane->Update();
        refreshBest = std::min(refreshBest, ms(Clock::now() - start));
    }
    std::printf("[ object list ] rows drawn in %.2f ms\n", drawBest);
    const int steps = 200;
    const auto start = Clock::now();
    for (int i = 0; i < steps; ++i) {
        pane->ScrollStep(i < steps / 2 ? ListScrollCode::PageDown : ListScrollCode::LineUp);
        pane->Update();
    }
    const double step = ms(Clock::now() - start) / steps;
    std::printf("[ object list ] 1000 objects: refresh and paint %.2f ms, scroll step %.3f ms\n",
                refreshBest, step);
    RecordProperty("refresh_ms", std::to_string(refreshBest));
    RecordProperty("scroll_step_ms", std::to_string(step));
    EXPECT_EQ(static_cast<int>(pane->rowImage().size()), ListTileCount(1000));
}

}  // namespace
}  // namespace zarni
