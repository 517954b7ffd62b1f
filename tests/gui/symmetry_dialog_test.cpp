// The symmetry dialog: what it shows of the current object, how each control writes into the
// object at once and marks the document modified, the number boxes, Unfold, and how it closes.
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
#include "ui/symmetry_dialog.h"
#include "ui/symmetry_dialog_window.h"

namespace zarni {
namespace {

PatchObject& Current() {
    return *App().doc.Current();
}

class SymmetryDialogs : public GuiTest {
  protected:
    // The program with one circle in the current object and the document unmodified.
    MainFrame* StartWithCircle() {
        MainFrame* frame = Start();
        AddCircle4(App().doc, App().sw);
        App().doc.modified = false;
        return frame;
    }

    // Runs the dialog's own modal loop; `script` works it with the pointer and the keys once it
    // is on screen. A dialog the script left open is ended with -1.
    int RunModal(MainFrame* frame, const std::function<void(SymmetryDialog&)>& script) {
        SymmetryDialog dialog(frame);
        wxTheApp->CallAfter([&] {
            if (WaitUntil([&] { return dialog.IsShownOnScreen(); })) {
                // Beside the main window: over a view, the views' focus following the mouse
                // would take the keys.
                const wxRect main = frame->GetScreenRect();
                const int room = wxGetDisplaySize().x - main.GetRight();
                dialog.Move(room > dialog.GetSize().x ? main.GetRight() + 1 : 0, main.y);
                EXPECT_FALSE(main.Intersects(dialog.GetScreenRect())) << "the screen is too small";
                Pump(50);
                script(dialog);
            }
            if (dialog.IsModal()) dialog.EndModal(-1);
        });
        return dialog.ShowModal();
    }

    void ClickOn(wxWindow* control, wxPoint offset) {
        sim_.MouseMove(control->GetScreenRect().GetPosition() + offset);
        Pump(30);
        sim_.MouseClick();
        Pump(30);
    }

    void ClickMiddle(wxWindow* control) {
        const wxSize size = control->GetSize();
        ClickOn(control, wxPoint(size.x / 2, size.y / 2));
    }

    // Clicks into a box and types `text` over what it held.
    void TypeInto(wxTextCtrl* edit, const char* text) {
        ClickOn(edit, wxPoint(4, edit->GetSize().y / 2));
        // Without a window manager the click alone does not give the dialog the keyboard.
        edit->SetFocus();
        ASSERT_TRUE(WaitUntil([&] { return edit->HasFocus(); }));
        edit->SelectAll();
        sim_.Text(text);
    }

    wxUIActionSimulator sim_;
};

TEST_F(SymmetryDialogs, OpensOnTheObjectsSettingsAndChangesNothingByOpening) {
    MainFrame* frame = StartWithCircle();
    PatchObject& obj = Current();
    obj.mirrorFlags = kMirrorX | kMirrorZ | kMirrorMove;
    obj.windmillCount = 5;
    obj.windmillAxis = 3;
    obj.moveX = -500;
    obj.moveY = 2999;
    obj.moveZ = 7000;  // beyond the up-down's range, possible through a file or typing

    std::string caption, count, x, y, z;
    bool mirror[3] = {}, axis[3] = {}, move = false;
    wxTEST_DIALOG(ShowSymmetryDialog(frame), AnswerDialog<SymmetryDialog>([&](SymmetryDialog* d) {
                      caption = d->GetTitle().utf8_string();
                      for (int i = 0; i < 3; ++i) {
                          mirror[i] = IsOn(d, kMirrorXId + i);
                          axis[i] = IsOn(d, kWindmillXId + i);
                      }
                      move = IsOn(d, kMoveId);
                      count = EditText(d, kWindmillCountId);
                      x = EditText(d, kMoveXId);
                      y = EditText(d, kMoveYId);
                      z = EditText(d, kMoveZId);
                      return wxID_OK;
                  }));
    EXPECT_EQ(caption, "MirrorSetting");
    EXPECT_TRUE(mirror[0]);
    EXPECT_FALSE(mirror[1]);
    EXPECT_TRUE(mirror[2]);
    EXPECT_FALSE(axis[0] || axis[1]);
    EXPECT_TRUE(axis[2]);
    EXPECT_TRUE(move);
    EXPECT_EQ(count, "5");
    EXPECT_EQ(x, "-500");
    EXPECT_EQ(y, "2999");
    EXPECT_EQ(z, "7000");
    EXPECT_EQ(obj.mirrorFlags, kMirrorX | kMirrorZ | kMirrorMove);
    EXPECT_EQ(obj.windmillCount, 5);
    EXPECT_EQ(obj.moveX, -500);
    EXPECT_EQ(obj.moveZ, 7000);
    EXPECT_FALSE(App().doc.modified);

    // An axis no radio button names (from a file) turns none on and stays.
    obj.windmillAxis = 7;
    bool anyAxis = true;
    wxTEST_DIALOG(ShowSymmetryDialog(frame), AnswerDialog<SymmetryDialog>([&](SymmetryDialog* d) {
                      anyAxis =
                          IsOn(d, kWindmillXId) || IsOn(d, kWindmillYId) || IsOn(d, kWindmillZId);
                      return wxID_OK;
                  }));
    EXPECT_FALSE(anyAxis);
    EXPECT_EQ(obj.windmillAxis, 7);
    EXPECT_FALSE(App().doc.modified);

    // No dialog at all without a current object.
    App().doc.currentObject = -1;
    int opened = 0;
    wxTEST_DIALOG(ShowSymmetryDialog(frame), AnswerDialog<SymmetryDialog>([&](SymmetryDialog*) {
                                                 ++opened;
                                                 return wxID_OK;
                                             }).Optional());
    EXPECT_EQ(opened, 0);
}

TEST_F(SymmetryDialogs, EachClickActsAtOnceAndEscapeKeepsWhatWasDone) {
    MainFrame* frame = StartWithCircle();
    const PatchObject& obj = Current();
    const int result = RunModal(frame, [&](SymmetryDialog& d) {
        ClickOn(Control<wxCheckBox>(&d, kMirrorYId), wxPoint(8, 8));
        EXPECT_TRUE(WaitUntil([&] { return obj.mirrorFlags == kMirrorY; })) << obj.mirrorFlags;
        EXPECT_TRUE(App().doc.modified) << "a symmetry change is a change of the document";

        App().doc.modified = false;
        ClickOn(Control<wxCheckBox>(&d, kMirrorYId), wxPoint(8, 8));
        EXPECT_TRUE(WaitUntil([&] { return obj.mirrorFlags == 0; })) << obj.mirrorFlags;
        EXPECT_TRUE(App().doc.modified);

        ClickOn(Control<wxCheckBox>(&d, kMoveId), wxPoint(8, 8));
        EXPECT_TRUE(WaitUntil([&] { return obj.mirrorFlags == kMirrorMove; }));
        ClickOn(Control<wxRadioButton>(&d, kWindmillZId), wxPoint(8, 8));
        EXPECT_TRUE(WaitUntil([&] { return obj.windmillAxis == 3; })) << obj.windmillAxis;

        // The count's up-down wraps from 72 to 1; the toolkit draws "-" and "+" side by side,
        // "+" on the right.
        wxTextCtrl* count = Control<wxTextCtrl>(&d, kWindmillCountId);
        TypeInto(count, "72");
        EXPECT_TRUE(WaitUntil([&] { return obj.windmillCount == 72; })) << obj.windmillCount;
        wxSpinButton* spin = Control<wxSpinButton>(&d, kWindmillCountSpinId);
        ClickOn(spin, wxPoint(spin->GetSize().x * 3 / 4, spin->GetSize().y / 2));
        EXPECT_TRUE(WaitUntil([&] { return obj.windmillCount == 1; })) << obj.windmillCount;
        EXPECT_EQ(count->GetValue(), "1");

        // The offsets take a minus sign; letters are refused.
        TypeInto(Control<wxTextCtrl>(&d, kMoveXId), "-2x50");
        EXPECT_TRUE(WaitUntil([&] { return obj.moveX == -250; })) << obj.moveX;
        EXPECT_EQ(EditText(&d, kMoveXId), "-250");

        sim_.Char(WXK_ESCAPE);
        WaitUntil([&] { return !d.IsModal(); });
    });
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_EQ(obj.mirrorFlags, kMirrorMove);
    EXPECT_EQ(obj.windmillAxis, 3);
    EXPECT_EQ(obj.windmillCount, 1);
    EXPECT_EQ(obj.moveX, -250);
    EXPECT_TRUE(App().doc.modified);
}

TEST_F(SymmetryDialogs, BoxesReadTypedNumbersAndOnlyChangedValuesMarkTheDocument) {
    MainFrame* frame = StartWithCircle();
    const PatchObject& obj = Current();
    std::string longCount, lettered, fullWidth, misplacedMinus, wrapped;
    bool modifiedBySameValue = true;
    int32_t empty = 0, zero = 0, beyond = 0, loneMinus = 1, wide = 0;
    wxTEST_DIALOG(ShowSymmetryDialog(frame), AnswerDialog<SymmetryDialog>([&](SymmetryDialog* d) {
                      Type(d, kWindmillCountId, "1");
                      Type(d, kMoveYId, "0");
                      modifiedBySameValue = App().doc.modified;
                      Type(d, kWindmillCountId, "");
                      empty = obj.windmillCount;
                      Type(d, kWindmillCountId, "0");
                      zero = obj.windmillCount;
                      Type(d, kWindmillCountId, "100");
                      beyond = obj.windmillCount;
                      Type(d, kWindmillCountId, "12345");
                      longCount = EditText(d, kWindmillCountId);
                      Type(d, kWindmillCountId, "-4a");
                      lettered = EditText(d, kWindmillCountId);
                      Type(d, kMoveXId, "-");
                      loneMinus = obj.moveX;
                      Type(d, kMoveXId, "－７");
                      fullWidth = EditText(d, kMoveXId);
                      wide = obj.moveX;
                      Type(d, kMoveYId, "5-0");
                      misplacedMinus = EditText(d, kMoveYId);
                      Type(d, kMoveZId, "-3000");
                      PressArrow(d, kMoveZId, WXK_DOWN);
                      wrapped = EditText(d, kMoveZId);
                      return wxID_OK;
                  }));
    EXPECT_FALSE(modifiedBySameValue);
    EXPECT_EQ(empty, 1);
    EXPECT_EQ(zero, 1);
    EXPECT_EQ(beyond, 100) << "a count beyond the up-down's range is kept as typed";
    EXPECT_EQ(longCount, "123");
    EXPECT_EQ(lettered, "4");
    EXPECT_EQ(obj.windmillCount, 4);
    EXPECT_EQ(loneMinus, 0);
    EXPECT_EQ(fullWidth, "-7");
    EXPECT_EQ(wide, -7);
    EXPECT_EQ(misplacedMinus, "50");
    EXPECT_EQ(obj.moveY, 50);
    EXPECT_EQ(wrapped, "3000");
    EXPECT_EQ(obj.moveZ, 3000);
    EXPECT_TRUE(App().doc.modified);
}

TEST_F(SymmetryDialogs, UnfoldMakesTheCopiesRealResetsTheSettingsAndCloses) {
    MainFrame* frame = StartWithCircle();
    PatchObject& obj = Current();
    const int32_t n = obj.pointCount();
    const ControlPoint first = obj.points[0];
    obj.mirrorFlags = kMirrorX | kMirrorY | kMirrorMove;
    obj.windmillCount = 3;
    obj.windmillAxis = 3;
    obj.moveX = 1000;
    obj.moveZ = -500;

    bool cleared = false;
    const int result = RunModal(frame, [&](SymmetryDialog& d) {
        ClickMiddle(Control<wxWindow>(&d, kUnfoldId));
        WaitUntil([&] { return !d.IsModal(); });
        // What it shows before it goes is what the object now holds.
        cleared = !IsOn(&d, kMirrorXId) && !IsOn(&d, kMoveId) && IsOn(&d, kWindmillXId) &&
                  EditText(&d, kWindmillCountId) == "1" && EditText(&d, kMoveXId) == "0";
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_TRUE(cleared);
    EXPECT_EQ(obj.pointCount(), n * 2 * 2 * 3 * 2);
    EXPECT_EQ(obj.mirrorFlags, 0);
    EXPECT_EQ(obj.windmillCount, 1);
    EXPECT_EQ(obj.windmillAxis, 1);
    EXPECT_EQ(obj.moveX, 0);
    EXPECT_EQ(obj.moveZ, 0);
    EXPECT_TRUE(App().doc.modified);
    // The move copy comes last: the first point shifted by (1, 0, -0.5).
    const ControlPoint& moved = obj.points[n * 12];
    EXPECT_NEAR(moved.x, first.x + 1.0f, 1e-5f);
    EXPECT_NEAR(moved.y, first.y, 1e-5f);
    EXPECT_NEAR(moved.z, first.z - 0.5f, 1e-5f);
}

TEST_F(SymmetryDialogs, OkEndsItWithOneAndTheCloseBoxWithTwo) {
    MainFrame* frame = StartWithCircle();
    EXPECT_EQ(RunModal(frame,
                       [&](SymmetryDialog& d) {
                           ClickMiddle(Control<wxWindow>(&d, kSymmetryOkId));
                           WaitUntil([&] { return !d.IsModal(); });
                       }),
              wxID_OK);
    EXPECT_EQ(RunModal(frame,
                       [&](SymmetryDialog& d) {
                           d.Close();
                           WaitUntil([&] { return !d.IsModal(); });
                       }),
              wxID_CANCEL);
    EXPECT_FALSE(App().doc.modified) << "opening and closing changes nothing";
}

TEST_F(SymmetryDialogs, AnUnfoldTooLargeForTheObjectIsRefusedWithAMessage) {
    MainFrame* frame = StartWithCircle();
    PatchObject& obj = Current();
    // 140000 points times 16 times 999 copies would not fit 32-bit counts.
    obj.points.resize(140000);
    obj.mirrorFlags = kMirrorX | kMirrorY | kMirrorZ | kMirrorMove;
    obj.windmillCount = 999;
    App().doc.modified = false;

    wxString notice;
    bool shown = false;
    wxTEST_DIALOG(ShowSymmetryDialog(frame), AnswerDialog<SymmetryDialog>([&](SymmetryDialog* d) {
                      d->Show();
                      wxCommandEvent click(wxEVT_BUTTON, kUnfoldId);
                      click.SetEventObject(d->FindWindow(kUnfoldId));
                      d->FindWindow(kUnfoldId)->GetEventHandler()->ProcessEvent(click);
                      shown = d->IsShown();
                      d->Hide();
                      return wxID_OK;
                  }),
                  ExpectNotice(&notice));
    EXPECT_FALSE(notice.empty());
    EXPECT_TRUE(shown) << "the dialog stays open with the settings";
    EXPECT_EQ(obj.pointCount(), 140000);
    EXPECT_EQ(obj.windmillCount, 999);
    EXPECT_EQ(obj.mirrorFlags, 15);
    EXPECT_FALSE(App().doc.modified);
}

}  // namespace
}  // namespace zarni
