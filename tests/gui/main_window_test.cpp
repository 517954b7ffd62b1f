// The main window under a real display: start-up state, the menu table, the layouts, the
// accelerator keys from any window, the camera's wheel and drags, and the timer redrawing
// only what changed.
#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/stattext.h>

#include <cmath>
#include <tuple>

#include "gui_fixture.h"
#include "platform/profile.h"
#include "resources/ids.h"
#include "ui/views.h"
#include "view_wait.h"

namespace zarni {
namespace {

using MainWindow = GuiTest;

TEST_F(MainWindow, StartsWithCaptionSizeOneViewAndAnUnmodifiedDocument) {
    MainFrame* frame = Start();
    EXPECT_EQ(frame->GetTitle().utf8_string(), "Zarni!_ver0.1a");
    EXPECT_EQ(frame->GetSize(), wxSize(800, 600));
    const Document& doc = App().doc;
    ASSERT_EQ(doc.objectCount(), 1);
    EXPECT_FALSE(doc.modified);

    ViewSet& views = frame->views();
    EXPECT_EQ(views.viewCount(), 1);
    EXPECT_EQ(views.currentView(), 0);
    for (int i = 0; i < ViewSet::kViews; ++i) {
        ViewPanel* v = views.view(i);
        EXPECT_EQ(v->GetId(), kFirstViewId + i);
        EXPECT_EQ(v->GetName(), "GLPanel");
        EXPECT_EQ(v->IsShown(), i == 0) << "view " << i;
        EXPECT_TRUE(v->contextOk());
    }
    // The palette strip keeps the top 40 pixels; view 0 fills the rest.
    const wxRect client = frame->GetClientRect();
    EXPECT_EQ(views.view(0)->GetRect(), wxRect(0, 40, client.width, client.height - 40));
    EXPECT_EQ(views.view(0)->camera.displayMode, kDisplayWireframe);
    EXPECT_EQ(views.view(0)->camera.perspective, 1);
    EXPECT_GT(views.drawCount(), 0u) << "view 0 was never drawn";
}

TEST_F(MainWindow, MenuHasEveryItemWithItsIdTextStateAndSeparators) {
    MainFrame* frame = Start();
    wxMenuBar* bar = frame->GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), 3u);
    EXPECT_EQ(bar->GetMenuLabel(0), "&File");
    EXPECT_EQ(bar->GetMenuLabel(1), "&Edit");
    EXPECT_EQ(bar->GetMenuLabel(2), "&Other");

    // (id or 0 for a separator or -1 for the sub-menu, label, enabled) in menu order.
    using Item = std::tuple<int, const char*, bool>;
    const std::vector<std::vector<Item>> expected = {
        {{kCmdNew, "&New", true},
         {kCmdOpen, "&Open...\tF2", true},
         {kCmdCloseAndOpen, "&Close and Open", true},
         {kCmdAppend, "&Append", true},
         {0, "", true},
         {kCmdSaveAs, "&SaveAs...", true},
         {kCmdExport, "Ex&Port", true},
         {0, "", true},
         {kCmdExit, "e&Xit", true}},
        {{kCmdUndo, "&Undo", false},
         {kCmdRedo, "&Redo", false},
         {0, "", true},
         {kCmdCut, "Cut", true},
         {kCmdCopy, "&Copy", true},
         {kCmdPaste, "&Paste", true},
         {0, "", true},
         {-1, "Model", true}},
        {{kCmdPreference, "&Preference", true},
         {0, "", true},
         {kCmdHelp, "&Help\tF1", true},
         {kCmdVersion, "&Version Info", true},
         {kCmdRender, "&Render\tF5", true}},
    };
    for (size_t m = 0; m < expected.size(); ++m) {
        const wxMenuItemList& items = bar->GetMenu(m)->GetMenuItems();
        ASSERT_EQ(items.size(), expected[m].size()) << "menu " << m;
        size_t k = 0;
        for (wxMenuItem* item : items) {
            const auto& [id, label, enabled] = expected[m][k++];
            SCOPED_TRACE(std::string("menu ") + std::to_string(m) + " item " + label);
            if (id == 0) {
                EXPECT_TRUE(item->IsSeparator());
                continue;
            }
            EXPECT_EQ(item->GetItemLabel().utf8_string(), label);
            EXPECT_EQ(item->IsEnabled(), enabled);
            if (id > 0) {
                EXPECT_EQ(item->GetId(), id);
            } else {
                ASSERT_TRUE(item->IsSubMenu());
                const wxMenuItemList& model = item->GetSubMenu()->GetMenuItems();
                ASSERT_EQ(model.size(), 4u);
                const std::vector<std::pair<int, std::string>> shapes = {
                    {kCmdCircle4, "Circle(4pt)"},
                    {kCmdCircle8, "Cirvle(8pt)"},
                    {kCmdSphere, "Sphere"},
                    {kCmdText, "Text..."}};
                size_t s = 0;
                for (wxMenuItem* shape : model) {
                    EXPECT_EQ(shape->GetId(), shapes[s].first);
                    EXPECT_EQ(shape->GetItemLabel().utf8_string(), shapes[s].second);
                    EXPECT_TRUE(shape->IsEnabled());
                    ++s;
                }
            }
        }
    }
}

TEST_F(MainWindow, ModelAndEditCommandsChangeTheDocument) {
    MainFrame* frame = Start();
    Command(frame, kCmdCircle4);
    const PatchObject* obj = App().doc.Current();
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(obj->segmentCount(), 4);
    EXPECT_TRUE(App().doc.modified);
    EXPECT_EQ(App().doc.selectedAnchors.size(), 4u);

    Command(frame, kCmdCopy);
    Command(frame, kCmdPaste);
    EXPECT_EQ(App().doc.Current()->segmentCount(), 8);
    Command(frame, kCmdSphere);
    const int32_t withSphere = App().doc.Current()->patchCount();
    EXPECT_GT(withSphere, 0);
    Command(frame, kCmdCut);  // cuts the sphere's selection
    EXPECT_EQ(App().doc.Current()->patchCount(), 0);

    Command(frame, kCmdNew);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_TRUE(started[0].empty()) << "New starts the program without arguments";
    Command(frame, kCmdHelp);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(std::filesystem::path(opened[0]).filename(), "ReadMe.txt");
    EXPECT_TRUE(App().doc.modified) << "New and Help leave the document alone";
}

TEST_F(MainWindow, FourViewLayoutAndBack) {
    MainFrame* frame = Start();
    ViewSet& views = frame->views();
    ViewCamera& main = views.view(0)->camera;
    main.yaw = 0.4f;  // as if orbited
    UpdateCamera(main);
    const Vec3 eye = main.eye;

    views.ToggleViewLayout();
    Pump();
    EXPECT_TRUE(views.fourViews());
    ASSERT_EQ(views.viewCount(), 4);
    const wxRect area = frame->ViewArea();
    const int w = area.width / 2, h = area.height / 2;
    EXPECT_EQ(views.view(0)->rect, wxRect(area.x + area.width / 2, area.y, w, h));
    EXPECT_EQ(views.view(1)->rect, wxRect(area.x, area.y, w, h));
    EXPECT_EQ(views.view(2)->rect, wxRect(area.x, area.y + area.height / 2, w, h));
    EXPECT_EQ(views.view(3)->rect, wxRect(area.x + area.width / 2, area.y + area.height / 2, w, h));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(views.view(i)->IsShown());
    EXPECT_EQ(views.view(0)->camera.displayMode, kDisplayCurrentShaded);
    EXPECT_EQ(views.view(0)->camera.perspective, 1);
    const int32_t directions[] = {kViewTop, kViewFront, kViewRight};
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(views.view(i)->camera.perspective, 0);
        EXPECT_EQ(views.view(i)->camera.viewIndex, directions[i - 1]);
        EXPECT_FLOAT_EQ(views.view(i)->camera.altitude, 9.0f);
    }

    views.ToggleViewLayout();
    Pump();
    EXPECT_FALSE(views.fourViews());
    EXPECT_EQ(views.viewCount(), 1);
    EXPECT_EQ(views.view(0)->GetRect(), area);
    for (int i = 1; i < 4; ++i)
        EXPECT_FALSE(views.view(i)->IsShown());
    EXPECT_EQ(views.view(0)->camera.displayMode, kDisplayWireframe);
    EXPECT_FLOAT_EQ(views.view(0)->camera.eye.x, eye.x);
    EXPECT_FLOAT_EQ(views.view(0)->camera.eye.z, eye.z);

    // F4 in a view toggles too.
    wxKeyEvent f4(wxEVT_KEY_DOWN);
    f4.m_keyCode = WXK_F4;
    views.view(0)->GetEventHandler()->ProcessEvent(f4);
    EXPECT_TRUE(views.fourViews());

    views.CycleDisplayModes();
    EXPECT_EQ(views.view(0)->camera.displayMode, kDisplayShaded);
    EXPECT_EQ(views.view(1)->camera.displayMode, kDisplayCurrentShaded);
}

// The version dialog, answered with OK; its text control 280 is kept.
class ExpectVersion : public wxExpectModalBase<wxDialog, ExpectVersion> {
  public:
    explicit ExpectVersion(wxString* text) : text_(text) {}

  protected:
    int OnInvoked(wxDialog* dialog) const override {
        if (auto* label = dynamic_cast<wxStaticText*>(dialog->FindWindow(kVersionTextId))) {
            *text_ = label->GetLabel();
        }
        return wxID_OK;
    }

  private:
    wxString* text_;
};

TEST_F(MainWindow, VersionDialogShowsTheCaption) {
    MainFrame* frame = Start();
    wxString text;
    wxTEST_DIALOG(Command(frame, kCmdVersion), ExpectVersion(&text));
    EXPECT_EQ(text.utf8_string(), "Zarni!_ver0.1a");
}

TEST_F(MainWindow, SettingsFileDrivesCameraSwitchesAndColours) {
    const std::string ini = SettingsPath();
    ASSERT_FALSE(ini.empty());
    WriteProfileInt("View", "DefaultAltitude", 50, ini);
    WriteProfileInt("View", "Fovy", 45, ini);
    WriteProfileInt("View", "BackColor", 0x00FF0000, ini);  // blue
    WriteProfileInt("DefaultValue", "DivLevel", 3, ini);
    MainFrame* frame = Start();
    std::filesystem::remove(ini);
    EXPECT_FLOAT_EQ(frame->views().view(0)->camera.altitude, 5.0f);
    EXPECT_FLOAT_EQ(App().cameras.fovy, 45.0f);
    EXPECT_FLOAT_EQ(App().cameras.orthoAltitude[kViewRight], 5.0f);
    EXPECT_EQ(App().sw.divLevel, 3);
    EXPECT_FLOAT_EQ(App().settings.backColorRGBA[2], 1.0f);
    EXPECT_FLOAT_EQ(App().settings.backColorRGBA[0], 0.0f);
}

// A key press as the toolkit first reports it, from `window`.
void PressKey(wxWindow* window, int key, bool ctrl = false) {
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = key;
    event.SetControlDown(ctrl);
    event.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(event);
}

TEST_F(MainWindow, AcceleratorsWorkFromEveryWindowOfTheProgram) {
    MainFrame* frame = Start();
    ViewPanel* view = frame->views().view(0);

    PressKey(view, WXK_F1);
    Pump(30);
    ASSERT_EQ(opened.size(), 1u) << "F1 in a view opens the help text";

    // Another top-level window of the program (as the object list will be).
    auto* other = new wxFrame(nullptr, wxID_ANY, "other");
    other->Show();
    Pump(30);
    PressKey(other, WXK_F1);
    Pump(30);
    EXPECT_EQ(opened.size(), 2u) << "F1 in another window of the program";

    // F2 opens the open dialog.
    wxTEST_DIALOG(
        {
            PressKey(view, WXK_F2);
            Pump(30);
        },
        wxExpectModal<wxFileDialog>(Path("none.zarni"), wxID_CANCEL));
    EXPECT_EQ(opened.size(), 2u);

    // F3 opens Save As.
    wxTEST_DIALOG(
        {
            PressKey(other, WXK_F3);
            Pump(30);
        },
        wxExpectModal<wxFileDialog>(Path("k.zarni"), wxID_CANCEL));
    other->Destroy();

    // Ctrl+X and Esc both exit; with a modified document the question comes first.
    Command(frame, kCmdCircle4);
    wxTEST_DIALOG(
        {
            PressKey(view, 'X', true);
            Pump(30);
        },
        wxExpectModal<wxMessageDialog>(wxID_CANCEL));
    EXPECT_EQ(TheMainFrame(), frame) << "Cancel keeps the program running";
    wxTEST_DIALOG(
        {
            PressKey(view, WXK_ESCAPE);
            Pump(30);
        },
        wxExpectModal<wxMessageDialog>(wxID_NO));
    Pump(30);
    EXPECT_EQ(TheMainFrame(), nullptr) << "No ends the program";
}

// A mouse event at (x, y) in a view's client area.
void Mouse(ViewPanel* view, wxEventType type, int x, int y, int wheel = 0) {
    wxMouseEvent event(type);
    event.m_x = x;
    event.m_y = y;
    event.m_wheelRotation = wheel;
    event.m_wheelDelta = 120;
    event.SetEventObject(view);
    view->GetEventHandler()->ProcessEvent(event);
}

TEST_F(MainWindow, WheelKeysAndDragsMoveTheCamera) {
    MainFrame* frame = Start();
    ViewSet& views = frame->views();
    ViewPanel* view = views.view(0);
    const float altitude = view->camera.altitude;
    Mouse(view, wxEVT_MOUSEWHEEL, 50, 50, 120);
    EXPECT_FLOAT_EQ(view->camera.altitude, altitude * 1.1f) << "away from the user zooms out";
    Mouse(view, wxEVT_MOUSEWHEEL, 50, 50, -120);
    EXPECT_FLOAT_EQ(view->camera.altitude, altitude * 1.1f * 0.93f);

    // Direction key 2: Front, orthographic; a right drag turns it back into perspective and
    // orbits.
    wxKeyEvent two(wxEVT_KEY_DOWN);
    two.m_keyCode = '2';
    view->GetEventHandler()->ProcessEvent(two);
    EXPECT_EQ(view->camera.perspective, 0);
    EXPECT_EQ(view->camera.viewIndex, kViewFront);
    Mouse(view, wxEVT_RIGHT_DOWN, 100, 100);
    EXPECT_EQ(view->camera.perspective, 1);
    EXPECT_EQ(views.dragState(), 201);
    Mouse(view, wxEVT_MOTION, 100 + view->camera.width / 2, 100);
    EXPECT_NEAR(view->camera.yaw, -kCameraPi / 2, 1e-4);
    Mouse(view, wxEVT_RIGHT_UP, 100 + view->camera.width / 2, 100);
    EXPECT_EQ(views.dragState(), 0);

    Mouse(view, wxEVT_MIDDLE_DOWN, 10, 10);
    EXPECT_EQ(views.dragState(), 202);
    const float panX = view->camera.panX;
    Mouse(view, wxEVT_MOTION, 40, 10);
    EXPECT_GT(view->camera.panX, panX);
    Mouse(view, wxEVT_MIDDLE_UP, 40, 10);
    EXPECT_EQ(views.dragState(), 0);
}

TEST_F(MainWindow, TimerRedrawsOnlyWhatChanged) {
    MainFrame* frame = Start();
    ViewSet& views = frame->views();
    views.RedrawAllViews();
    ASSERT_TRUE(WaitForPictures(views));
    const uint64_t settled = views.drawCount();
    // A tick marks what it would draw; the flush draws the marks at once.
    for (int i = 0; i < 5; ++i)
        views.TimerTick();
    EXPECT_FALSE(views.RedrawPending());
    views.FlushRedraws();
    EXPECT_EQ(views.drawCount(), settled) << "a still picture is not drawn again";

    // A change made without a redraw request still reaches the screen within one tick.
    AddCircle8(App().doc, App().sw);
    views.TimerTick();
    EXPECT_TRUE(views.RedrawPending());
    views.FlushRedraws();
    EXPECT_EQ(views.drawCount(), settled + 1);
    views.TimerTick();
    views.FlushRedraws();
    EXPECT_EQ(views.drawCount(), settled + 1);

    views.view(0)->camera.pitch += 0.1f;
    views.TimerTick();
    views.FlushRedraws();
    EXPECT_EQ(views.drawCount(), settled + 2);
    App().sw.divLevel = 2;
    views.TimerTick();
    views.FlushRedraws();
    EXPECT_EQ(views.drawCount(), settled + 3);
}

}  // namespace
}  // namespace zarni
