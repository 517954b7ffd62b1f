// The extrude and lathe dialogs: what they show from the settings file, what OK stores and
// builds, what Cancel leaves alone, and when they do not open at all.
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <cmath>
#include <functional>

#include "dialog_answers.h"
#include "gui_fixture.h"
#include "ui/shape_dialogs.h"
#include "platform/profile.h"

namespace zarni {
namespace {

void TurnOn(wxWindow* dialog, int id) {
    if (auto* radio = Control<wxRadioButton>(dialog, id)) radio->SetValue(true);
}

// Pumps events until `done` holds or about three seconds have passed.
bool WaitFor(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        Pump(20);
    }
    return true;
}

bool Near(const ControlPoint& p, float x, float y, float z) {
    return std::fabs(p.x - x) < 1e-5f && std::fabs(p.y - y) < 1e-5f && std::fabs(p.z - z) < 1e-5f;
}

class ShapeDialogs : public GuiTest {
  protected:
    // The program with a settings file of this test's own, not yet written.
    MainFrame* StartWithOwnSettings() {
        MainFrame* frame = Start();
        ini_ = Path("zarni.ini");
        App().settingsPath = ini_;
        return frame;
    }

    // A straight segment from `from` to `to` with handles at a third and two thirds, appended
    // to the current object with both anchors selected.
    static void AddSelectedLine(Vec3 from, Vec3 to) {
        Document& doc = App().doc;
        PatchObject& obj = *doc.Current();
        const int32_t base = obj.pointCount();
        auto at = [&](float t, int32_t anchor) {
            ControlPoint p;
            p.x = from.x + t * (to.x - from.x);
            p.y = from.y + t * (to.y - from.y);
            p.z = from.z + t * (to.z - from.z);
            p.anchor = anchor;
            obj.points.push_back(p);
        };
        at(0.0f, -1);
        at(1.0f / 3.0f, base);
        at(2.0f / 3.0f, base + 3);
        at(1.0f, -1);
        Segment s;
        s.p0 = base;
        s.p1 = base + 1;
        s.p2 = base + 2;
        s.p3 = base + 3;
        obj.segments.push_back(s);
        doc.selectedAnchors = {base, base + 3};
        doc.selectedHandles.clear();
        doc.activePoint = base + 3;
        RebuildControlCaches(doc);
        doc.modified = false;
    }

    uint32_t Stored(const char* section, const char* key) const {
        return GetProfileInt(section, key, -1, ini_);
    }

    std::string ini_;
};

TEST_F(ShapeDialogs, ExtrudeOpensOnTheDefaultsStoresTheTypedLengthAndSweepsByIt) {
    MainFrame* frame = StartWithOwnSettings();
    AddSelectedLine({0, 0, 0}, {1, 0, 0});

    std::string caption, shown;
    bool minusOn = true, zOn = false;
    bool changed = false;
    wxTEST_DIALOG(changed = ExtrudeSelectionWithDialog(frame),
                  AnswerDialog<ExtrudeDialog>([&](ExtrudeDialog* d) {
                      caption = d->GetTitle().utf8_string();
                      shown = EditText(d, kExtrudeLengthId);
                      minusOn = IsOn(d, kExtrudeMinusId);
                      zOn = IsOn(d, kShapeAxisZId);
                      Type(d, kExtrudeLengthId, "1234");
                      return wxID_OK;
                  }));
    EXPECT_TRUE(changed);
    EXPECT_EQ(caption, "ExtrudeSetting");
    EXPECT_EQ(shown, "600");
    EXPECT_FALSE(minusOn);
    EXPECT_TRUE(zOn);
    EXPECT_EQ(Stored("Extrude", "Length"), 1234u);
    EXPECT_EQ(Stored("Extrude", "Axis"), 3u);
    EXPECT_EQ(Stored("Extrude", "fMinus"), 0u);

    // The copy lies 1.234 along +Z, the side handles a third and two thirds of the way, and
    // the copied anchors are the selection.
    const Document& doc = App().doc;
    const PatchObject& obj = *doc.Current();
    ASSERT_EQ(obj.patchCount(), 1);
    ASSERT_EQ(obj.segmentCount(), 4);
    const Segment& copy = obj.segments[1];
    EXPECT_TRUE(Near(obj.points[copy.p0], 0, 0, 1.234f));
    EXPECT_TRUE(Near(obj.points[copy.p3], 1, 0, 1.234f));
    const Segment& side = obj.segments[2];
    EXPECT_TRUE(Near(obj.points[side.p1], 0, 0, 1.234f / 3));
    EXPECT_TRUE(Near(obj.points[side.p2], 0, 0, 2 * 1.234f / 3));
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{copy.p0, copy.p3}));
    EXPECT_TRUE(doc.modified);

    // The next opening reads the file again; "Minus" with Y then sweeps towards -Y.
    wxTEST_DIALOG(ExtrudeSelectionWithDialog(frame),
                  AnswerDialog<ExtrudeDialog>([&](ExtrudeDialog* d) {
                      shown = EditText(d, kExtrudeLengthId);
                      Control<wxCheckBox>(d, kExtrudeMinusId)->SetValue(true);
                      TurnOn(d, kShapeAxisYId);
                      zOn = IsOn(d, kShapeAxisZId);
                      Type(d, kExtrudeLengthId, "500");
                      return wxID_OK;
                  }));
    EXPECT_EQ(shown, "1234");
    EXPECT_FALSE(zOn) << "turning Y on turns Z off";
    EXPECT_EQ(Stored("Extrude", "Axis"), 2u);
    EXPECT_EQ(Stored("Extrude", "fMinus"), 1u);
    ASSERT_EQ(obj.patchCount(), 2);
    EXPECT_TRUE(Near(obj.points[obj.segments[4].p0], 0, -0.5f, 1.234f));
}

TEST_F(ShapeDialogs, ExtrudeCancelWritesNothingAndChangesNothing) {
    MainFrame* frame = StartWithOwnSettings();
    AddSelectedLine({0, 0, 0}, {1, 0, 0});
    const PatchObject before = *App().doc.Current();
    const std::vector<int32_t> selection = App().doc.selectedAnchors;

    bool changed = true;
    wxTEST_DIALOG(changed = ExtrudeSelectionWithDialog(frame),
                  AnswerDialog<ExtrudeDialog>([&](ExtrudeDialog* d) {
                      Control<wxCheckBox>(d, kExtrudeMinusId)->SetValue(true);
                      TurnOn(d, kShapeAxisXId);
                      Type(d, kExtrudeLengthId, "77");
                      return wxID_CANCEL;
                  }));
    EXPECT_FALSE(changed);
    EXPECT_FALSE(std::filesystem::exists(ini_));
    const Document& doc = App().doc;
    EXPECT_EQ(doc.Current()->pointCount(), before.pointCount());
    EXPECT_EQ(doc.Current()->segmentCount(), before.segmentCount());
    EXPECT_EQ(doc.Current()->patchCount(), 0);
    EXPECT_EQ(doc.selectedAnchors, selection);
    EXPECT_FALSE(doc.modified);
}

TEST_F(ShapeDialogs, LengthBoxTakesDigitsOnlyKeepsWhatIsTypedAndItsUpDownWraps) {
    MainFrame* frame = StartWithOwnSettings();
    AddSelectedLine({0, 0, 0}, {1, 0, 0});

    std::string filtered, fullWidth, wrappedUp, wrappedDown, stepped;
    wxTEST_DIALOG(ExtrudeSelectionWithDialog(frame),
                  AnswerDialog<ExtrudeDialog>([&](ExtrudeDialog* d) {
                      Type(d, kExtrudeLengthId, "12a-3");
                      filtered = EditText(d, kExtrudeLengthId);
                      Type(d, kExtrudeLengthId, "４５");
                      fullWidth = EditText(d, kExtrudeLengthId);
                      Type(d, kExtrudeLengthId, "2000");
                      PressArrow(d, kExtrudeLengthId, WXK_UP);
                      wrappedUp = EditText(d, kExtrudeLengthId);
                      PressArrow(d, kExtrudeLengthId, WXK_DOWN);
                      wrappedDown = EditText(d, kExtrudeLengthId);
                      Type(d, kExtrudeLengthId, "41");
                      PressArrow(d, kExtrudeLengthId, WXK_UP);
                      stepped = EditText(d, kExtrudeLengthId);
                      // Beyond the up-down's range, still stored as typed.
                      Type(d, kExtrudeLengthId, "5000");
                      return wxID_OK;
                  }));
    EXPECT_EQ(filtered, "123");
    EXPECT_EQ(fullWidth, "45");
    EXPECT_EQ(wrappedUp, "1");
    EXPECT_EQ(wrappedDown, "2000");
    EXPECT_EQ(stepped, "42") << "the up-down starts from the typed number";
    EXPECT_EQ(Stored("Extrude", "Length"), 5000u);
    const PatchObject& obj = *App().doc.Current();
    EXPECT_TRUE(Near(obj.points[obj.segments[1].p0], 0, 0, 5.0f));
}

TEST_F(ShapeDialogs, OnScreenTheBoxRefusesLettersAndThePlusButtonWrapsToTheLowEnd) {
    MainFrame* frame = StartWithOwnSettings();
    ASSERT_TRUE(WriteProfileInt("Extrude", "Length", 1999, ini_));
    // Shown without its modal loop, so beside the main window: over a view, the views' focus
    // following the mouse would take the keys and the clicks.
    auto* dialog = new ExtrudeDialog(frame, ini_);
    const wxRect main = frame->GetScreenRect();
    const int room = wxGetDisplaySize().x - main.GetRight();
    dialog->Move(room > dialog->GetSize().x ? main.GetRight() + 1 : 0, main.y);
    dialog->Show();
    wxTextCtrl* edit = Control<wxTextCtrl>(dialog, kExtrudeLengthId);
    wxSpinButton* spin = Control<wxSpinButton>(dialog, kExtrudeLengthSpinId);
    ASSERT_TRUE(edit && spin);
    ASSERT_TRUE(WaitFor([&] { return edit->IsShownOnScreen() && spin->IsShownOnScreen(); }));
    EXPECT_FALSE(main.Intersects(dialog->GetScreenRect())) << "the screen is too small";

    wxUIActionSimulator sim;
    auto clickAt = [&](wxPoint at) {
        sim.MouseMove(at);
        Pump(30);
        sim.MouseClick();
        Pump(30);
    };
    sim.MouseMove(edit->GetScreenRect().GetPosition() + wxPoint(4, edit->GetSize().y / 2));
    edit->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return edit->HasFocus(); }));
    edit->SelectAll();
    sim.Text("2x0o00");
    EXPECT_TRUE(WaitFor([&] { return edit->GetValue() == "2000"; })) << edit->GetValue();

    // The toolkit draws the up-down as "-" and "+" side by side, "+" on the right.
    const wxRect r = spin->GetScreenRect();
    clickAt(wxPoint(r.GetRight() - r.width / 4, r.y + r.height / 2));
    EXPECT_TRUE(WaitFor([&] { return edit->GetValue() == "1"; })) << edit->GetValue();
    clickAt(wxPoint(r.x + r.width / 4, r.y + r.height / 2));
    EXPECT_TRUE(WaitFor([&] { return edit->GetValue() == "2000"; })) << edit->GetValue();
    dialog->Destroy();
    Pump(30);
}

TEST_F(ShapeDialogs, LatheStoresTheDivisionLevelInRangeAndTurnsAFullRevolution) {
    MainFrame* frame = StartWithOwnSettings();
    AddSelectedLine({1, 0, 0}, {1, 1, 0});

    std::string caption, count, div;
    bool yOn = false, closeOn = false, partsOn = true;
    bool changed = false;
    wxTEST_DIALOG(changed = LatheSelectionWithDialog(frame),
                  AnswerDialog<LatheDialog>([&](LatheDialog* d) {
                      caption = d->GetTitle().utf8_string();
                      count = EditText(d, kLathePartsCountId);
                      div = EditText(d, kLatheDivLevelId);
                      yOn = IsOn(d, kShapeAxisYId);
                      closeOn = IsOn(d, kLatheCloseId);
                      partsOn = IsOn(d, kLathePartsId);
                      Type(d, kLatheDivLevelId, "25");
                      return wxID_OK;
                  }));
    EXPECT_TRUE(changed);
    EXPECT_EQ(caption, "LatheSetting");
    EXPECT_EQ(count, "1");
    EXPECT_EQ(div, "4");
    EXPECT_TRUE(yOn);
    EXPECT_TRUE(closeOn);
    EXPECT_FALSE(partsOn);
    EXPECT_EQ(Stored("Lathe", "DivLevel"), 18u);
    EXPECT_EQ(Stored("Lathe", "Type"), 0u);
    EXPECT_EQ(Stored("Lathe", "Axis"), 2u);
    EXPECT_EQ(Stored("Lathe", "PartsCount"), 1u);

    // A closed cylinder of 18 patches: the last ring is welded onto the profile, so each
    // anchor position is held by one point only.
    const PatchObject& obj = *App().doc.Current();
    EXPECT_EQ(obj.patchCount(), 18);
    std::vector<ControlPoint> anchors;
    for (const ControlPoint& p : obj.points) {
        if (p.anchor >= 0) continue;
        for (const ControlPoint& q : anchors)
            EXPECT_FALSE(Near(p, q.x, q.y, q.z)) << "two anchors at " << p.x << " " << p.z;
        anchors.push_back(p);
    }
    EXPECT_EQ(anchors.size(), 36u);
    EXPECT_TRUE(App().doc.modified);
}

TEST_F(ShapeDialogs, LathePartsTurnsOnlyTheStepsAskedAndWrapsItsUpDowns) {
    MainFrame* frame = StartWithOwnSettings();
    AddSelectedLine({1, 0, 0}, {1, 1, 0});

    std::string countWrapped, divWrapped;
    bool closeOn = true;
    wxTEST_DIALOG(LatheSelectionWithDialog(frame), AnswerDialog<LatheDialog>([&](LatheDialog* d) {
                      TurnOn(d, kLathePartsId);
                      closeOn = IsOn(d, kLatheCloseId);
                      Type(d, kLathePartsCountId, "17");
                      PressArrow(d, kLathePartsCountId, WXK_UP);
                      countWrapped = EditText(d, kLathePartsCountId);
                      PressArrow(d, kLatheDivLevelId, WXK_DOWN);  // from 4
                      PressArrow(d, kLatheDivLevelId, WXK_DOWN);
                      divWrapped = EditText(d, kLatheDivLevelId);
                      Type(d, kLathePartsCountId, "3");
                      Type(d, kLatheDivLevelId, "12");
                      return wxID_OK;
                  }));
    EXPECT_FALSE(closeOn) << "turning Parts on turns Close off";
    EXPECT_EQ(countWrapped, "1");
    EXPECT_EQ(divWrapped, "18");
    EXPECT_EQ(Stored("Lathe", "Type"), 1u);
    EXPECT_EQ(Stored("Lathe", "PartsCount"), 3u);
    EXPECT_EQ(Stored("Lathe", "DivLevel"), 12u);
    // Three steps of -30 degrees about Y, nothing welded: the last copy of (1, 0, 0) lies at
    // 90 degrees, on +Z.
    const Document& doc = App().doc;
    const PatchObject& obj = *doc.Current();
    EXPECT_EQ(obj.patchCount(), 3);
    ASSERT_EQ(doc.selectedAnchors.size(), 2u);
    EXPECT_TRUE(Near(obj.points[doc.selectedAnchors[0]], 0, 0, 1));
}

TEST_F(ShapeDialogs, ASettingNoRadioButtonNamesTurnsNoneOnAndStaysAsItWas) {
    MainFrame* frame = StartWithOwnSettings();
    AddSelectedLine({1, 0, 0}, {1, 1, 0});
    ASSERT_TRUE(WriteProfileInt("Lathe", "Type", 5, ini_));
    ASSERT_TRUE(WriteProfileInt("Lathe", "Axis", 9, ini_));

    bool anyOn = true;
    bool changed = false;
    wxTEST_DIALOG(
        changed = LatheSelectionWithDialog(frame), AnswerDialog<LatheDialog>([&](LatheDialog* d) {
            anyOn = IsOn(d, kLatheCloseId) || IsOn(d, kLathePartsId) || IsOn(d, kShapeAxisXId) ||
                    IsOn(d, kShapeAxisYId) || IsOn(d, kShapeAxisZId);
            return wxID_OK;
        }));
    EXPECT_FALSE(anyOn);
    EXPECT_EQ(Stored("Lathe", "Type"), 5u);
    EXPECT_EQ(Stored("Lathe", "Axis"), 9u);
    EXPECT_EQ(Stored("Lathe", "DivLevel"), 4u);
    EXPECT_TRUE(changed);
    EXPECT_EQ(App().doc.Current()->patchCount(), 0) << "a lathe of no known type builds nothing";
}

TEST_F(ShapeDialogs, NoDialogWithoutSelectedAnchorsOrWithoutACurrentObject) {
    MainFrame* frame = StartWithOwnSettings();
    AddSelectedLine({0, 0, 0}, {1, 0, 0});
    int opened = 0;
    auto count = [&opened](wxDialog*) {
        ++opened;
        return wxID_CANCEL;
    };
    auto tryBoth = [&] {
        bool changed = false;
        wxTEST_DIALOG(changed = ExtrudeSelectionWithDialog(frame) || changed,
                      AnswerDialog<wxDialog>(count).Optional());
        wxTEST_DIALOG(changed = LatheSelectionWithDialog(frame) || changed,
                      AnswerDialog<wxDialog>(count).Optional());
        return changed;
    };

    App().doc.selectedAnchors.clear();
    EXPECT_FALSE(tryBoth());
    EXPECT_EQ(opened, 0);

    AddSelectedLine({0, 0, 0}, {1, 0, 0});
    App().doc.currentObject = -1;  // the object is remembered but not active
    EXPECT_FALSE(tryBoth());
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(App().doc.modified);
    EXPECT_FALSE(std::filesystem::exists(ini_));
}

TEST_F(ShapeDialogs, SettingsThatCannotBeWrittenAreReportedAndStillUsed) {
    MainFrame* frame = StartWithOwnSettings();
    AddSelectedLine({0, 0, 0}, {1, 0, 0});
    // A folder where the file should be: reads give the defaults, writes fail.
    std::filesystem::create_directories(ini_);

    wxString notice;
    bool changed = false;
    wxTEST_DIALOG(changed = ExtrudeSelectionWithDialog(frame),
                  AnswerDialog<ExtrudeDialog>([](ExtrudeDialog* d) {
                      Type(d, kExtrudeLengthId, "900");
                      return wxID_OK;
                  }),
                  ExpectNotice(&notice));
    EXPECT_TRUE(changed);
    EXPECT_NE(notice.utf8_string().find(ini_), std::string::npos);
    const PatchObject& obj = *App().doc.Current();
    ASSERT_EQ(obj.patchCount(), 1);
    EXPECT_TRUE(Near(obj.points[obj.segments[1].p0], 0, 0, 0.9f));
}

}  // namespace
}  // namespace zarni
