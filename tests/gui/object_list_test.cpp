// The object list in the real windows, driven with pointer events from the X server: opened by
// the palette's object tab, rows in reverse order, picks, a rename, New, Delete, Merge and BG,
// the double click that closes it, the reopen lock, scrolling, dropped files and the views'
// focus that must not close it from under the pointer.
#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/dataobj.h>
#include <wx/dnd.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <chrono>
#include <cstdio>

#include "dialog_answers.h"
#include "formats/native_file.h"

#include "gui_fixture.h"
#include "model/settings.h"
#include "rules/palette.h"
#include "ui/hsv_dialog_window.h"
#include "ui/object_list.h"
#include "ui/symmetry_dialog_window.h"
#include "ui/tool_palette.h"
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
    // The document as it is now counts as saved: the change mark starts clear.
    static void Saved() {
        App().history.Commit(App().doc);
        App().history.MarkSaved();
        App().doc.modified = false;
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

    AddCircle4(App().doc, App().sw);
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
    Saved();
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
    Saved();
    OpenList();

    ClickButton(kListNewId);
    ASSERT_TRUE(WaitUntil([] { return App().doc.objectCount() == 3; }));
    EXPECT_EQ(App().doc.currentObject, 2);
    EXPECT_TRUE(App().doc.modified);
    EXPECT_EQ(NameBoxText(), App().doc.objects[2].name);
    EXPECT_EQ(pane->rowImage()[0].GetHeight(), 3 * kListRowHeight);
    EXPECT_FALSE(list->button(kListAppendId)->IsEnabled());
    // Every label fits its 40-pixel button.
    for (int id = kListNewId; id <= kListBackgroundId; ++id) {
        GtkWidget* label = gtk_bin_get_child(GTK_BIN(list->button(id)->GetHandle()));
        int natural = 0;
        gtk_widget_get_preferred_width(label, nullptr, &natural);
        EXPECT_GE(gtk_widget_get_allocated_width(label), natural) << list->button(id)->GetLabel();
    }

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
    Saved();
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

TEST_F(ObjectListGui, NoButtonKeepsTheFocusAfterItsCommand) {
    // Return right after New would otherwise press the next button and delete the new object.
    MakeObjects({"A", "B"});
    OpenList();
    const auto buttonFocused = [&] {
        for (int id = kListNewId; id <= kListBackgroundId; ++id)
            if (wxWindow::FindFocus() == list->button(id)) return true;
        return false;
    };
    const int counts[] = {3, 2, 1};
    const int ids[] = {kListNewId, kListDeleteId, kListMergeId};
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(list->button(ids[k])->GetLabel());
        ClickButton(ids[k]);
        ASSERT_TRUE(WaitUntil([&] { return App().doc.objectCount() == counts[k]; }));
        EXPECT_TRUE(WaitUntil([&] { return wxWindow::FindFocus() == pane; }));
        EXPECT_FALSE(buttonFocused());
    }
}

TEST_F(ObjectListGui, ATypedNameIsStoredBeforeTheNextCommand) {
    MakeObjects({"A", "B"});
    Saved();
    OpenList();
    wxTextCtrl* box = pane->nameBox();
    const auto typeName = [&](const char* text) {
        box->SetFocus();
        ASSERT_TRUE(WaitUntil([&] { return wxWindow::FindFocus() == box; }));
        box->SelectAll();
        sim.Text(text);
        ASSERT_TRUE(WaitUntil([&] { return NameBoxText() == text; }));
    };
    typeName("Wing");
    // F3 saves what the box shows.
    const std::string saved = Path("renamed.zarni");
    wxTEST_DIALOG(
        {
            sim.Char(WXK_F3);
            ASSERT_TRUE(WaitUntil([&] { return App().documentPath == saved; }))
                << App().documentPath;
        },
        wxExpectModal<wxFileDialog>(saved));
    Document read;
    EditSwitches sw;
    Clipboard clipboard;
    ASSERT_EQ(ReadDocumentFile(read, sw, clipboard, saved), kFileOk);
    EXPECT_EQ(read.objects.at(1).name, "Wing");
    // Esc after another rename asks before the program ends.
    typeName("Tail");
    bool asked = false;
    wxTEST_DIALOG(
        {
            sim.Char(WXK_ESCAPE);
            ASSERT_TRUE(WaitUntil([&] { return asked; }));
        },
        AnswerDialog<wxMessageDialog>([&](wxMessageDialog*) {
            asked = true;
            return static_cast<int>(wxID_CANCEL);
        }));
    EXPECT_EQ(TheMainFrame(), frame);
    EXPECT_EQ(App().doc.objects[1].name, "Tail");
    EXPECT_TRUE(App().doc.modified);
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
    Saved();
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

TEST_F(ObjectListGui, TheScrollBarIsAClassicBarWithArrows) {
    std::vector<std::string> names(40, "N");
    MakeObjects(names);
    OpenList();
    auto* window = GTK_SCROLLED_WINDOW(pane->GetHandle());
    ASSERT_TRUE(GTK_IS_SCROLLED_WINDOW(window));
    EXPECT_FALSE(gtk_scrolled_window_get_overlay_scrolling(window));
    // The bar has its arrows, which step a line.
    gboolean arrows = FALSE;
    gtk_widget_style_get(gtk_scrolled_window_get_vscrollbar(window), "has-forward-stepper", &arrows,
                         nullptr);
    EXPECT_TRUE(arrows);
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

// Drags a file from a window of the test onto a screen point with the real pointer, offered
// as a file list and, as file managers do, as text as well. The drag's own loop runs the
// timer that moves the pointer, one step a tick, and lets go once the window under it took
// the drag (or it is plainly refused).
class FileDrag : public wxFrame {
  public:
    FileDrag(const std::string& path, wxPoint at, wxPoint target)
        : wxFrame(nullptr, wxID_ANY, "drag source", at, wxSize(100, 80)),
          path_(path),
          target_(target),
          timer_(this) {
        Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent&) {
            wxDataObjectComposite data;
            auto* files = new wxFileDataObject;
            files->AddFile(wxString::FromUTF8(path_));
            data.Add(files, true);
            data.Add(new wxTextDataObject(wxString::FromUTF8(path_ + "\r\n")));
            wxDropSource source(data, this);
            timer_.Start(50);
            source.DoDragDrop(wxDrag_CopyOnly);
            timer_.Stop();
            done = true;
        });
        Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
            const wxPoint from = GetScreenRect().GetPosition() + wxPoint(50, 40);
            if (step_ < 8) {
                sim_.MouseMove(from + (target_ - from) * ++step_ / 8);
                return;
            }
            const bool taken = context_ && gdk_drag_context_get_selected_action(context_) != 0;
            if (++step_ == 200 || (taken && step_ < 200)) {
                step_ = 200;
                sim_.MouseUp();
            }
        });
        Show();
        for (GtkWidget* widget : {m_widget, m_wxwindow})
            g_signal_connect(widget, "drag-begin", G_CALLBACK(&FileDrag::Began), this);
    }
    // Presses on the window, which starts the drag, and waits for its end.
    bool Run() {
        if (!WaitUntil([&] { return IsShownOnScreen(); })) return false;
        sim_.MouseMove(GetScreenRect().GetPosition() + wxPoint(50, 40));
        if (!WaitUntil([&] {
                return wxGetMousePosition() == GetScreenRect().GetPosition() + wxPoint(50, 40);
            }))
            return false;
        sim_.MouseDown();
        sim_.MouseMove(GetScreenRect().GetPosition() + wxPoint(60, 40));
        return WaitUntil([&] { return done; });
    }
    bool done = false;

  private:
    static void Began(GtkWidget*, GdkDragContext* context, gpointer self) {
        static_cast<FileDrag*>(self)->context_ = context;
    }

    GdkDragContext* context_ = nullptr;
    std::string path_;
    wxPoint target_;
    wxTimer timer_;
    wxUIActionSimulator sim_;
    int step_ = 0;
};

TEST_F(ObjectListGui, AFileDroppedOnTheNameBoxIsAppendedNotTyped) {
    MakeObjects({"A"});
    const std::string file = WriteSample("two.zarni", 2);
    OpenList();
    wxTextCtrl* box = pane->nameBox();
    // From below the main window straight up into the list: the views, which take the focus
    // from under the pointer, are not crossed.
    const wxRect main = frame->GetScreenRect();
    auto* drag = new FileDrag(file, wxPoint(main.x, main.GetBottom() + 10),
                              box->GetScreenRect().GetPosition() + wxPoint(40, 10));
    ASSERT_TRUE(drag->Run());
    drag->Destroy();
    EXPECT_TRUE(WaitUntil([] { return App().doc.objectCount() == 3; }));
    EXPECT_TRUE(list->visible()) << "the drop reached the list";
    EXPECT_EQ(NameBoxText(), App().doc.Current()->name);
    EXPECT_EQ(App().doc.objects[0].name, "A");
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
