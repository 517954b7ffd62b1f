// The preferences sheet on screen: what OK writes for the pages shown, what Cancel keeps, the
// picture slots acting at once with the picture dialog, and the dialog's live preview.
#include <GL/gl.h>
#include <gtk/gtk.h>
#include <wx/bookctrl.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <fstream>
#include <functional>
#include <set>

#include "formats/bitmap.h"
#include "gui_fixture.h"
#include "platform/profile.h"
#include "resources/ids.h"
#include "tests/core/bmp_writer.h"
#include "ui/hsv_dialog_window.h"
#include "ui/picture_preview.h"
#include "ui/preferences.h"
#include "ui/views.h"

namespace zarni {
namespace {

// A modal dialog of class D answered by `answer`, which may work its controls first.
template <class D>
class Expect : public wxExpectModalBase<D, Expect<D>> {
  public:
    explicit Expect(std::function<int(D*)> answer) : answer_(std::move(answer)) {}

  protected:
    int OnInvoked(D* dialog) const override { return answer_(dialog); }

  private:
    std::function<int(D*)> answer_;
};

template <class T>
T* Control(wxWindow* page, int id) {
    T* control = dynamic_cast<T*>(page->FindWindow(id));
    EXPECT_NE(control, nullptr) << "control " << id;
    return control;
}

class Preferences : public GuiTest {
  protected:
    MainFrame* StartWithOwnSettings() {
        MainFrame* frame = Start();
        frame->Move(0, 0);
        ini_ = Path("zarni.ini");
        App().settingsPath = ini_;
        return frame;
    }

    // Shows the sheet that ShowModal was asked for beside the main window (over a view, the
    // views' focus following the mouse would take the clicks), on `page`, and runs `script`.
    int OnScreen(PreferenceSheet* sheet, int page, const std::function<int()>& script) {
        const wxRect main = TheMainFrame()->GetScreenRect();
        sheet->Move(main.GetRight() + 1, 0);
        sheet->Show();
        sheet->GetBookCtrl()->SetSelection(page);
        const bool shown = WaitUntil([&] { return sheet->Page(page)->IsShownOnScreen(); });
        EXPECT_TRUE(shown);
        EXPECT_FALSE(main.Intersects(sheet->GetScreenRect())) << "the screen is too small";
        Pump(50);
        const int result = shown ? script() : wxID_CANCEL;
        sheet->Hide();
        return result;
    }

    void Click(wxWindow* control) {
        const wxRect r = control->GetScreenRect();
        sim_.MouseMove(r.GetPosition() + wxPoint(std::min(8, r.width / 2), r.height / 2));
        Pump(30);
        sim_.MouseClick();
    }

    void TypeInto(wxTextCtrl* edit, const char* text) {
        Click(edit);
        // Without a window manager the click alone does not give the sheet the keyboard.
        edit->SetFocus();
        ASSERT_TRUE(WaitUntil([&] { return edit->HasFocus(); }));
        edit->SelectAll();
        sim_.Text(text);
        ASSERT_TRUE(WaitUntil([&] { return edit->GetValue() == text; })) << edit->GetValue();
    }

    std::string Key(const char* section, const char* key) const {
        return GetProfileString(section, key, "none", ini_);
    }

    // The pictures the cases read, written into the case's own folder under the names the file
    // dialog gives back: a quartered 24-bit picture, and one whose header claims 7 bits a pixel.
    std::string GoodPicture() {
        const std::string path = std::filesystem::weakly_canonical(Path("quarters.bmp")).string();
        testing_files::WriteQuarterBmp(path, 127, 64);
        return path;
    }
    std::string BadPicture() {
        const std::string path = std::filesystem::weakly_canonical(Path("bad-depth.bmp")).string();
        std::string bytes = testing_files::QuarterBmp(16, 8);
        bytes[28] = 7;  // the bits per pixel
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::string ini_;
    wxUIActionSimulator sim_;
};

TEST_F(Preferences, OkWritesWhatWasTypedOnTheShownPagesOnly) {
    MainFrame* frame = StartWithOwnSettings();
    uint32_t chosen = 0;
    uint32_t opened = 0;
    auto sheet = [&](PreferenceSheet* s) {
        return OnScreen(s, kPrefViewPage, [&] {
            wxWindow* page = s->Page(kPrefViewPage);
            EXPECT_EQ(Control<wxTextCtrl>(page, kPrefAltitudeId)->GetValue(), "90");
            EXPECT_EQ(Control<wxTextCtrl>(page, kPrefFovyId)->GetValue(), "30");
            EXPECT_EQ(Control<wxTextCtrl>(page, kPrefAxesSizeId)->GetValue(), "10");
            TypeInto(Control<wxTextCtrl>(page, kPrefAltitudeId), "87");
            TypeInto(Control<wxTextCtrl>(page, kPrefAxesSizeId), "7");
            wxCheckBox* sync = Control<wxCheckBox>(page, kPrefSynchronizeId);
            EXPECT_TRUE(sync->GetValue());
            Click(sync);
            EXPECT_TRUE(WaitUntil([&] { return !sync->GetValue(); }));
            Click(Control<wxButton>(page, kPrefBackColorId + kPrefHandle));
            EXPECT_TRUE(WaitUntil([&] { return opened != 0; }));
            EXPECT_EQ(s->WorkingColor(kPrefHandle), chosen);
            return static_cast<int>(wxID_OK);
        });
    };
    // The colour dialog opens on the working colour; darkened to value 40 and confirmed.
    auto colour = [&](HsvDialog* d) {
        opened = d->Result();
        auto* value = Control<wxSpinCtrl>(d, kHsvValueId);
        value->SetValue(40);
        wxSpinEvent changed(wxEVT_SPINCTRL, kHsvValueId);
        changed.SetEventObject(value);
        value->GetEventHandler()->ProcessEvent(changed);
        chosen = d->Result();
        return static_cast<int>(wxID_OK);
    };
    wxTEST_DIALOG(Command(frame, kCmdPreference), Expect<PreferenceSheet>(sheet),
                  Expect<HsvDialog>(colour));
    EXPECT_EQ(opened, static_cast<uint32_t>(kDefaultHandleColor));
    EXPECT_NE(chosen, opened);

    const Settings& s = App().settings;
    EXPECT_EQ(Key("View", "DefaultAltitude"), "87");
    EXPECT_EQ(Key("View", "AxesSize"), "7");
    EXPECT_EQ(Key("View", "fSynchronize"), "0");
    EXPECT_EQ(Key("View", "HandleColor"), std::to_string(chosen));
    EXPECT_EQ(Key("View", "BackColor"), std::to_string(kDefaultBackColor));
    EXPECT_EQ(s.handleColor, ColorFromValue(chosen));
    EXPECT_EQ(s.synchronize, 0);
    // Pages never shown write nothing and leave the document as it was.
    EXPECT_EQ(Key("Control", "Flags"), "none");
    EXPECT_EQ(Key("BackPicture", "Visible"), "none");
    EXPECT_FALSE(App().doc.modified);

    // The next opening shows what was typed; a colour changed and then cancelled is lost.
    const std::array<float, 4> back = s.backColorRGBA;
    auto again = [&](PreferenceSheet* sh) {
        wxWindow* page = sh->Page(kPrefViewPage);
        EXPECT_EQ(Control<wxTextCtrl>(page, kPrefAltitudeId)->GetValue(), "87");
        EXPECT_EQ(Control<wxTextCtrl>(page, kPrefAxesSizeId)->GetValue(), "7");
        EXPECT_FALSE(Control<wxCheckBox>(page, kPrefSynchronizeId)->GetValue());
        wxCommandEvent press(wxEVT_BUTTON, kPrefBackColorId + kPrefBack);
        auto* button = Control<wxButton>(page, kPrefBackColorId + kPrefBack);
        press.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(press);
        EXPECT_NE(sh->WorkingColor(kPrefBack), static_cast<uint32_t>(kDefaultBackColor));
        return static_cast<int>(wxID_CANCEL);
    };
    wxTEST_DIALOG(Command(frame, kCmdPreference), Expect<PreferenceSheet>(again),
                  Expect<HsvDialog>(colour));
    EXPECT_EQ(App().settings.backColorRGBA, back);
    EXPECT_EQ(Key("View", "BackColor"), std::to_string(kDefaultBackColor));
}

TEST_F(Preferences, ControlPageShownAndConfirmedWritesItsFlags) {
    MainFrame* frame = StartWithOwnSettings();
    App().settings.controlFlags = kControlShow3DPos;
    auto sheet = [&](PreferenceSheet* s) {
        return OnScreen(s, kPrefControlPage, [&] {
            wxWindow* page = s->Page(kPrefControlPage);
            wxCheckBox* handle = Control<wxCheckBox>(page, kPrefButtonHandleId);
            wxCheckBox* minimum = Control<wxCheckBox>(page, kPrefMinimumDrawingId);
            EXPECT_TRUE(handle->GetValue());
            EXPECT_FALSE(minimum->GetValue());
            EXPECT_TRUE(Control<wxCheckBox>(page, kPrefShow3DPosId)->GetValue());
            Click(handle);
            EXPECT_TRUE(WaitUntil([&] { return !handle->GetValue(); }));
            Click(minimum);
            EXPECT_TRUE(WaitUntil([&] { return minimum->GetValue(); }));
            return static_cast<int>(wxID_OK);
        });
    };
    wxTEST_DIALOG(Command(frame, kCmdPreference), Expect<PreferenceSheet>(sheet));
    EXPECT_EQ(App().settings.controlFlags,
              kControlNoButtonHandle | kControlMinimumDrawing | kControlShow3DPos);
    EXPECT_EQ(Key("Control", "Flags"), "7");
    EXPECT_EQ(Key("BackPicture", "Visible"), "none");
    EXPECT_TRUE(App().doc.modified);
}

// The last picture of a view, read from its back buffer (the software renderer keeps it as it
// was swapped; what the X server shows of a GL window cannot be read back reliably here).
wxImage ViewPicture(ViewSet& views, int i) {
    views.FlushRedraws();
    views.MakeCurrent(i);
    const ViewCamera& c = views.view(i)->camera;
    wxImage image(c.width, c.height);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, c.width, c.height, GL_RGB, GL_UNSIGNED_BYTE, image.GetData());
    return image;
}

TEST_F(Preferences, BrowseLoadsAPictureTheFrontViewShowsAndCancelKeepsAClear) {
    const std::string bmp = GoodPicture();
    MainFrame* frame = StartWithOwnSettings();
    ViewSet& views = frame->views();
    ViewPanel* front = views.view(0);
    SelectOrthoDirection(front->camera, App().cameras, kViewFront);
    front->InvalidateProjection();
    views.RedrawAllViews();
    ASSERT_TRUE(WaitUntil([&] { return !views.RedrawPending(); }));
    Pump(100);
    const wxImage before = ViewPicture(views, 0);

    wxString caption, wildcard, startPath;
    auto picture = [&](wxFileDialog* d) {
        caption = d->GetMessage();
        wildcard = d->GetWildcard();
        startPath = d->GetDirectory();
        EXPECT_TRUE(d->HasFlag(wxFD_FILE_MUST_EXIST));
        d->SetPath(wxString::FromUTF8(bmp));
        return static_cast<int>(wxID_OK);
    };
    auto sheet = [&](PreferenceSheet* s) {
        return OnScreen(s, kPrefBackPicturePage, [&] {
            wxWindow* page = s->Page(kPrefBackPicturePage);
            wxButton* browse = Control<wxButton>(page, kPrefBrowseId);
            EXPECT_EQ(browse->GetLabelText(), "Browse");
            Click(browse);
            EXPECT_TRUE(WaitUntil([&] { return browse->GetLabelText() != "Browse"; }));
            EXPECT_EQ(browse->GetLabelText().utf8_string(), bmp);
            wxCheckBox* visible = Control<wxCheckBox>(page, kPrefVisibleId);
            EXPECT_FALSE(visible->GetValue());
            Click(visible);
            EXPECT_TRUE(WaitUntil([&] { return visible->GetValue(); }));
            return static_cast<int>(wxID_OK);
        });
    };
    wxTEST_DIALOG(Command(frame, kCmdPreference), Expect<PreferenceSheet>(sheet),
                  Expect<wxFileDialog>(picture));
    EXPECT_EQ(caption.utf8_string(), "Bitmap形式の画像を開く");
    EXPECT_TRUE(wildcard.StartsWith(" Bitmap(*.bmp)|")) << wildcard;
    EXPECT_EQ(startPath.utf8_string(), wxGetCwd().utf8_string());
    const Document& doc = App().doc;
    EXPECT_EQ(doc.backPictures[kBackFront].fileName, bmp);
    EXPECT_NE(doc.backPictures[kBackFront].picture, nullptr);
    EXPECT_EQ(App().fileDialog.fileName, bmp);
    EXPECT_EQ(App().sw.backPictureVisible, 1);
    EXPECT_EQ(Key("BackPicture", "Visible"), "1");
    EXPECT_TRUE(doc.modified);

    // The front view shows the picture: the pixels that changed carry its colours.
    ASSERT_TRUE(WaitUntil([&] { return !views.RedrawPending(); }));
    Pump(100);
    const wxImage after = ViewPicture(views, 0);
    ASSERT_EQ(after.GetSize(), before.GetSize());
    std::set<uint32_t> colours;
    const std::optional<BitmapImage> read = ReadBitmapFile(bmp);
    ASSERT_TRUE(read);
    const PicturePixels pixels = MakePicturePixels(*read);
    for (size_t i = 0; i + 2 < pixels.rgb.size(); i += 3)
        colours.insert(pixels.rgb[i] << 16 | pixels.rgb[i + 1] << 8 | pixels.rgb[i + 2]);
    int changed = 0, fromPicture = 0;
    const unsigned char* a = before.GetData();
    const unsigned char* b = after.GetData();
    for (int i = 0; i < before.GetWidth() * before.GetHeight(); ++i, a += 3, b += 3) {
        if (a[0] == b[0] && a[1] == b[1] && a[2] == b[2]) continue;
        ++changed;
        fromPicture += colours.count(b[0] << 16 | b[1] << 8 | b[2]) ? 1 : 0;
    }
    EXPECT_GT(changed, 1000);
    EXPECT_GT(fromPicture, changed * 9 / 10) << fromPicture << " of " << changed;

    // Clear acts at once and Cancel does not bring the picture back. Saved first, so that the
    // cleared slot differs from the file.
    wxTEST_DIALOG(Command(frame, kCmdSaveAs), wxExpectModal<wxFileDialog>(Path("picture.zarni")));
    ASSERT_FALSE(doc.modified);
    auto clear = [&](PreferenceSheet* s) {
        return OnScreen(s, kPrefBackPicturePage, [&] {
            wxWindow* page = s->Page(kPrefBackPicturePage);
            wxButton* browse = Control<wxButton>(page, kPrefBrowseId);
            EXPECT_EQ(browse->GetLabelText().utf8_string(), bmp);
            Click(Control<wxButton>(page, kPrefClearId));
            EXPECT_TRUE(WaitUntil([&] { return browse->GetLabelText() == "Browse"; }));
            return static_cast<int>(wxID_CANCEL);
        });
    };
    wxTEST_DIALOG(Command(frame, kCmdPreference), Expect<PreferenceSheet>(clear));
    EXPECT_EQ(doc.backPictures[kBackFront].fileName, "");
    EXPECT_EQ(doc.backPictures[kBackFront].picture, nullptr);
    EXPECT_TRUE(doc.modified) << "a slot cleared is a change to save";
    EXPECT_EQ(Key("BackPicture", "Visible"), "1");
}

TEST_F(Preferences, APictureThatCannotBeReadIsReportedWithTheReason) {
    const std::string bad = BadPicture();
    MainFrame* frame = StartWithOwnSettings();
    wxString message;
    auto sheet = [&](PreferenceSheet* s) {
        wxWindow* page = s->Page(kPrefBackPicturePage);
        wxButton* browse = Control<wxButton>(page, kPrefBrowseId + 2 * kBackTop);
        wxCommandEvent press(wxEVT_BUTTON, browse->GetId());
        press.SetEventObject(browse);
        browse->GetEventHandler()->ProcessEvent(press);
        // The slot keeps the name, so the document tries again when it is opened next.
        EXPECT_EQ(browse->GetLabelText().utf8_string(), bad);
        return static_cast<int>(wxID_OK);
    };
    auto notice = [&](wxMessageDialog* d) {
        message = d->GetMessage();
        return static_cast<int>(wxID_OK);
    };
    wxTEST_DIALOG(Command(frame, kCmdPreference), Expect<PreferenceSheet>(sheet),
                  wxExpectModal<wxFileDialog>(bad), Expect<wxMessageDialog>(notice));
    EXPECT_TRUE(message.Contains(wxString::FromUTF8(bad))) << message;
    // The reader's reason follows the path.
    EXPECT_GT(message.AfterLast('\n').length(), 3u) << message;
    EXPECT_EQ(App().doc.backPictures[kBackTop].fileName, bad);
    EXPECT_EQ(App().doc.backPictures[kBackTop].picture, nullptr);
}

TEST_F(Preferences, ThePictureDialogPreviewFollowsTheSelection) {
    const std::string good = GoodPicture();
    const std::string bad = BadPicture();
    Start();
    wxFileDialog dialog(TheMainFrame(), "preview", wxString::FromUTF8(Path("")), wxString(),
                        "*.bmp", wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    PicturePreview preview(dialog);
    ASSERT_TRUE(preview.attached());
    bool sawPicture = false, sawGrey = false;
    PreviewPixels drawn;
    dialog.CallAfter([&] {
        auto* chooser = GTK_FILE_CHOOSER(dialog.GetHandle());
        if (WaitUntil([&] { return dialog.IsShownOnScreen(); })) {
            gtk_file_chooser_select_filename(chooser, good.c_str());
            sawPicture =
                WaitUntil([&] { return preview.shownPath() == good; }) && preview.hasPicture();
            drawn = preview.Pixels();
            gtk_file_chooser_unselect_all(chooser);
            gtk_file_chooser_select_filename(chooser, bad.c_str());
            sawGrey =
                WaitUntil([&] { return preview.shownPath() == bad; }) && !preview.hasPicture();
        }
        dialog.EndModal(wxID_CANCEL);
    });
    dialog.ShowModal();
    EXPECT_TRUE(sawPicture);
    EXPECT_TRUE(sawGrey);
    // The pane at its size on screen, with the picture fitted and centred on dark grey.
    ASSERT_GE(drawn.width, kPreviewPaneWidth);
    const std::optional<BitmapImage> read = ReadBitmapFile(good);
    ASSERT_TRUE(read);
    const PreviewPixels expected = RenderPreview(&*read, drawn.width, drawn.height);
    EXPECT_EQ(drawn.rgb, expected.rgb);
    EXPECT_EQ(drawn.rgb[0], kPreviewGrey);
}

}  // namespace
}  // namespace zarni
