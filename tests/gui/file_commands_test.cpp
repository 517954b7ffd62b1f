// Save As, Export and Exit through their dialogs, the command line and dropped files, each
// with the document state and the files it leaves behind.
#include <gtk/gtk.h>
#include <wx/dnd.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <fstream>
#include <sstream>

#include "formats/gltf_export.h"
#include "formats/pov_export.h"
#include "formats/stl_export.h"
#include "gui_fixture.h"
#include "resources/ids.h"
#include "tests/core/bmp_writer.h"
#include "ui/document_commands.h"
#include "ui/long_work.h"
#include "ui/picture_dialog.h"
#include "ui/views.h"

namespace zarni {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A save dialog answered with `path` and 0-based filter `filter`; what the dialog showed when
// it opened goes to `shownPath`, `shownFilter` and `shownWildcard`.
class ExpectSave : public wxExpectModalBase<wxFileDialog, ExpectSave> {
  public:
    ExpectSave(std::string path, int filter, wxString* shownPath = nullptr,
               int* shownFilter = nullptr, wxString* shownWildcard = nullptr)
        : path_(std::move(path)),
          filter_(filter),
          shownPath_(shownPath),
          shownFilter_(shownFilter),
          shownWildcard_(shownWildcard) {}

  protected:
    int OnInvoked(wxFileDialog* dialog) const override {
        if (shownPath_) *shownPath_ = dialog->GetPath();
        if (shownFilter_) *shownFilter_ = dialog->GetFilterIndex();
        if (shownWildcard_) *shownWildcard_ = dialog->GetWildcard();
        // The question comes once the extension is forced, about the file that is written.
        EXPECT_FALSE(dialog->HasFlag(wxFD_OVERWRITE_PROMPT));
        dialog->SetPath(wxString::FromUTF8(path_));
        dialog->SetFilterIndex(filter_);
        return wxID_OK;
    }

  private:
    std::string path_;
    int filter_;
    wxString* shownPath_;
    int* shownFilter_;
    wxString* shownWildcard_;
};

// A message box answered with `answer`; its caption and text are kept.
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage> {
  public:
    ExpectMessage(int answer, wxString* caption, wxString* text)
        : answer_(answer), caption_(caption), text_(text) {}

  protected:
    int OnInvoked(wxMessageDialog* dialog) const override {
        *caption_ = dialog->GetCaption();
        *text_ = dialog->GetMessage();
        return answer_;
    }

  private:
    int answer_;
    wxString* caption_;
    wxString* text_;
};

using FileCommands = GuiTest;

TEST_F(FileCommands, SaveAsForcesTheExtensionWritesTheDocumentAndPrefillsTheNextDialog) {
    MainFrame* frame = Start();
    Command(frame, kCmdCircle4);
    ASSERT_TRUE(App().doc.modified);
    // The camera memories travel in the document's "view" chunk.
    App().cameras.orthoAltitude[kViewTop] = 4.5f;
    App().cameras.orthoPan[kViewFront] = {0.25f, -0.5f, 0.0f};

    wxString wildcard;
    wxTEST_DIALOG(Command(frame, kCmdSaveAs),
                  ExpectSave(Path("my.dir.name.TXT"), 0, nullptr, nullptr, &wildcard));
    EXPECT_EQ(wildcard.utf8_string(), " Zarni!File(*.zarni)|*.zarni");
    const std::string saved = Path("my.dir.name.zarni");
    ASSERT_TRUE(std::filesystem::exists(saved));
    EXPECT_FALSE(App().doc.modified);
    EXPECT_EQ(App().fileDialog.fileName, saved);
    EXPECT_EQ(App().fileDialog.filterIndex, 1);

    Document back;
    EditSwitches sw;
    Clipboard clip;
    ASSERT_EQ(ReadDocumentFile(back, sw, clip, saved), kFileOk);
    ASSERT_EQ(back.objectCount(), 1);
    EXPECT_EQ(back.objects[0].segmentCount(), 4);
    EXPECT_FLOAT_EQ(back.view.orthoAltitude[kViewTop], 4.5f);
    EXPECT_FLOAT_EQ(back.view.orthoPan[kViewFront].y, -0.5f);

    // The next dialog opens on the document's own path; saving over it asks first.
    wxString shown, caption, text;
    wxTEST_DIALOG(Command(frame, kCmdSaveAs), ExpectSave(saved, 0, &shown),
                  ExpectMessage(wxID_YES, &caption, &text));
    EXPECT_EQ(shown.utf8_string(), saved);
}

TEST_F(FileCommands, ExportWritesSceneOrIncludeAndSharesTheFilterIndex) {
    MainFrame* frame = Start();
    Command(frame, kCmdSphere);

    wxString wildcard;
    int shownFilter = -1;
    wxTEST_DIALOG(Command(frame, kCmdExport),
                  ExpectSave(Path("scene"), 0, nullptr, &shownFilter, &wildcard));
    EXPECT_EQ(wildcard.utf8_string(),
              " PovRay(*.pov)|*.pov| POVRay(*.inc)|*.inc|POV-Ray 3.7 Scene(*.pov)|*.pov|"
              "POV-Ray 3.7 Include(*.inc)|*.inc|Wavefront OBJ(*.obj)|*.obj|"
              "STL binary(*.stl)|*.stl|glTF 2.0 binary(*.glb)|*.glb");
    EXPECT_EQ(shownFilter, 0);
    const std::string scene = ReadAll(Path("scene.pov"));
    EXPECT_NE(scene.find("camera"), std::string::npos);
    EXPECT_NE(scene.find("bicubic_patch"), std::string::npos);

    // The include filter on a ".pov" name writes ".inc" with only the objects.
    wxTEST_DIALOG(Command(frame, kCmdExport), ExpectSave(Path("objects.pov"), 1));
    EXPECT_FALSE(std::filesystem::exists(Path("objects.pov")));
    EXPECT_EQ(ReadAll(Path("objects.inc")), IncludeText(App().doc));
    EXPECT_TRUE(App().doc.modified) << "Export leaves `modified` alone";

    // The next Export opens on the include filter and the last path...
    wxString shownPath;
    wxTEST_DIALOG(Command(frame, kCmdExport),
                  ExpectSave(Path("again"), 1, &shownPath, &shownFilter));
    EXPECT_EQ(shownFilter, 1);
    EXPECT_EQ(shownPath.utf8_string(), Path("objects.inc"));
    // ...and Save As, which has one filter, still saves.
    wxTEST_DIALOG(Command(frame, kCmdSaveAs), ExpectSave(Path("doc"), 0, nullptr, &shownFilter));
    EXPECT_EQ(shownFilter, 0);
    EXPECT_TRUE(std::filesystem::exists(Path("doc.zarni")));
}

TEST_F(FileCommands, ExportWritesTheMeshAsStlAndGlbAtTheViewsLevel) {
    MainFrame* frame = Start();
    Command(frame, kCmdSphere);
    // The last two filters, each forcing its own extension over the name typed.
    wxTEST_DIALOG(Command(frame, kCmdExport), ExpectSave(Path("print.obj"), 5));
    wxTEST_DIALOG(Command(frame, kCmdExport), ExpectSave(Path("view"), 6));
    std::string stl, glb;
    ASSERT_TRUE(StlExportBytes(App().doc, App().sw.divLevel, &stl));
    ASSERT_TRUE(GlbExportBytes(App().doc, App().sw.divLevel, &glb));
    EXPECT_TRUE(ReadAll(Path("print.stl")) == stl);
    EXPECT_TRUE(ReadAll(Path("view.glb")) == glb);
    EXPECT_FALSE(std::filesystem::exists(Path("print.obj")));
}

TEST_F(FileCommands, FailedSaveIsReportedAndKeepsTheDocumentModified) {
    MainFrame* frame = Start();
    Command(frame, kCmdCircle4);
    wxString caption, text;
    wxTEST_DIALOG(Command(frame, kCmdSaveAs), ExpectSave(Path("missing/dir/doc"), 0),
                  ExpectMessage(wxID_OK, &caption, &text));
    EXPECT_TRUE(App().doc.modified);
    EXPECT_NE(text.utf8_string().find("missing/dir/doc.zarni"), std::string::npos);

    wxTEST_DIALOG(Command(frame, kCmdExport), ExpectSave(Path("missing/x"), 0),
                  ExpectMessage(wxID_OK, &caption, &text));
    EXPECT_NE(text.utf8_string().find("missing/x.pov"), std::string::npos);
}

TEST_F(FileCommands, ExitAsksOnlyWhenModifiedAndStaysWhenTheSaveDidNotHappen) {
    MainFrame* frame = Start();
    Command(frame, kCmdCircle4);
    wxString caption, text;
    wxTEST_DIALOG(Command(frame, kCmdExit), ExpectMessage(wxID_CANCEL, &caption, &text));
    EXPECT_EQ(caption.utf8_string(), "保存の確認");
    EXPECT_EQ(text.utf8_string(), "データは変更されています\r\n保存しますか");
    EXPECT_EQ(TheMainFrame(), frame);
    EXPECT_EQ(App().doc.Current()->segmentCount(), 4) << "Cancel leaves everything as it was";

    // Yes, then the save dialog cancelled: the changes would be lost, so the program stays.
    wxTEST_DIALOG(Command(frame, kCmdExit), ExpectMessage(wxID_YES, &caption, &text),
                  wxExpectModal<wxFileDialog>(Path("never"), wxID_CANCEL));
    EXPECT_EQ(TheMainFrame(), frame);
    EXPECT_TRUE(App().doc.modified);

    // Yes and a save: the document is written and the program ends.
    wxTEST_DIALOG(Command(frame, kCmdExit), ExpectMessage(wxID_YES, &caption, &text),
                  ExpectSave(Path("last"), 0));
    EXPECT_TRUE(std::filesystem::exists(Path("last.zarni")));
    Pump(30);
    EXPECT_EQ(TheMainFrame(), nullptr);
}

TEST_F(FileCommands, ExitWithoutChangesAsksNothing) {
    Start();
    // Were the question asked, Cancel would keep the window.
    wxTEST_DIALOG(Command(TheMainFrame(), kCmdExit),
                  wxExpectModal<wxMessageDialog>(wxID_CANCEL).Optional());
    Pump(30);
    EXPECT_EQ(TheMainFrame(), nullptr);
}

TEST_F(FileCommands, CommandLineOpensTheFirstFileAndHandsTheRestToOneInstance) {
    const std::string first = WriteSample("first.zarni", 3);
    {
        // The camera values the document carries replace the start-up ones.
        Document doc;
        EditSwitches sw;
        Clipboard clip;
        ASSERT_EQ(ReadDocumentFile(doc, sw, clip, first), kFileOk);
        doc.view.fovy = 40.0f;
        doc.view.orthoPan[kViewLeft] = {1.5f, 0.0f, 0.0f};
        ASSERT_EQ(WriteDocumentFile(doc, first), kFileOk);
    }
    const std::string second = WriteSample("second.zarni", 1);
    Start({"-x", first, "--opt", second, "third.zarni"});
    EXPECT_EQ(App().doc.objectCount(), 3);
    EXPECT_TRUE(App().doc.selectedAnchors.empty());
    EXPECT_FLOAT_EQ(App().cameras.fovy, 40.0f);
    EXPECT_FLOAT_EQ(App().cameras.orthoPan[kViewLeft].x, 1.5f);
    ASSERT_EQ(started.size(), 1u);
    const std::string cwd = wxGetCwd().utf8_string();
    EXPECT_EQ(started[0], (std::vector<std::string>{second, cwd + "/third.zarni"}));
}

TEST_F(FileCommands, AnOpenedFileIsUnchangedAndAnyLaterChangeIsMarked) {
    const std::string file = WriteSample("opened.zarni", 2);
    MainFrame* frame = Start({file});
    EXPECT_FALSE(App().doc.modified);
    EXPECT_EQ(frame->GetTitle().utf8_string(), App().mainCaption + " - opened.zarni");
    // A change no command announced (the name box writes the name into the object) is marked.
    App().doc.objects[1].name = "renamed";
    EXPECT_TRUE(WaitUntil([&] { return frame->GetTitle().EndsWith(" *"); }));
    wxString caption, text;
    wxTEST_DIALOG(Command(frame, kCmdExit), ExpectMessage(wxID_CANCEL, &caption, &text));
    EXPECT_EQ(caption.utf8_string(), "保存の確認");
    // Back to the name of the file: nothing to save, and Exit asks nothing.
    App().doc.objects[1].name = "OBJ_002";
    EXPECT_TRUE(WaitUntil([&] { return !App().doc.modified; }));
    wxTEST_DIALOG(Command(frame, kCmdExit), wxExpectModal<wxMessageDialog>(wxID_CANCEL).Optional());
    Pump(30);
    EXPECT_EQ(TheMainFrame(), nullptr);
}

// Open and Save run on a worker thread; one that takes long shows a progress dialog meanwhile
// (here at once) and leaves nothing on screen after.
TEST_F(FileCommands, LongOpenAndSaveShowProgressAndEndWithTheDocument) {
    const std::string file = WriteSample("long.zarni", 3);
    MainFrame* frame = Start();
    int shown = 0;
    SetLongWorkDelayForTesting(0);
    SetLongWorkShownHookForTesting([&] {
        for (wxWindow* w : wxTopLevelWindows)
            if (dynamic_cast<wxProgressDialog*>(w) && w->IsShown()) ++shown;
    });
    ASSERT_TRUE(OpenCommandLineFile(frame, file));
    EXPECT_EQ(App().doc.objectCount(), 3);
    EXPECT_FALSE(App().doc.modified);
    App().doc.objects[0].name = "saved";
    EXPECT_TRUE(SaveCommand(frame));
    SetLongWorkDelayForTesting(500);
    SetLongWorkShownHookForTesting({});
    EXPECT_EQ(shown, 2);
    EXPECT_FALSE(App().doc.modified);
    Document back;
    EditSwitches sw;
    Clipboard clipboard;
    ASSERT_EQ(ReadDocumentFile(back, sw, clipboard, file), kFileOk);
    EXPECT_EQ(back.objects[0].name, "saved");
    for (wxWindow* w : wxTopLevelWindows)
        EXPECT_EQ(dynamic_cast<wxProgressDialog*>(w), nullptr);

    // What the worker throws comes back to the caller, after the worker has ended.
    EXPECT_THROW(RunLongWork(frame, "t", "m", [] { throw std::bad_alloc(); }), std::bad_alloc);
}

// The toolkit's dialog of `type` on screen, if one is.
GtkWidget* ShownDialog(GType type) {
    GList* all = gtk_window_list_toplevels();
    GtkWidget* found = nullptr;
    for (GList* l = all; l != nullptr; l = l->next) {
        if (G_TYPE_CHECK_INSTANCE_TYPE(l->data, type) && gtk_widget_get_mapped(GTK_WIDGET(l->data)))
            found = GTK_WIDGET(l->data);
    }
    g_list_free(all);
    return found;
}

std::string ChooserName(GtkWidget* chooser) {
    gchar* name = gtk_file_chooser_get_current_name(GTK_FILE_CHOOSER(chooser));
    const std::string text = name != nullptr ? name : "";
    g_free(name);
    return text;
}

TEST_F(FileCommands, SaveAsAsksBeforeReplacingTheFileOfTheForcedExtension) {
    MainFrame* frame = Start();
    const std::string old = Path("t2b.zarni");
    std::ofstream(old) << "the old file";
    Command(frame, kCmdCircle4);
    App().fileDialog.startDir = std::filesystem::path(old).parent_path().string();

    // The real dialog on screen: the name typed on the keyboard, then Return; the question
    // answered No; the dialog that comes back cancelled.
    wxUIActionSimulator sim;
    int stage = 0, waited = 0;
    std::string question, offeredAgain;
    wxTimer driver;
    driver.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (stage <= 1) {
            GtkWidget* chooser = ShownDialog(GTK_TYPE_FILE_CHOOSER_DIALOG);
            if (chooser == nullptr) return;
            gtk_window_present(GTK_WINDOW(chooser));
            if (!gtk_window_is_active(GTK_WINDOW(chooser))) return;
            if (stage == 0) {
                sim.Text("t2b.bmp");
                stage = 1;
            } else if (ChooserName(chooser) == "t2b.bmp") {
                sim.Char(WXK_RETURN);
                stage = 2;
            }
        } else if (stage == 2) {
            GtkWidget* box = ShownDialog(GTK_TYPE_MESSAGE_DIALOG);
            if (box == nullptr) {
                // The first Return may only close the name's completion list.
                if (++waited % 20 == 0 && ShownDialog(GTK_TYPE_FILE_CHOOSER_DIALOG) != nullptr)
                    sim.Char(WXK_RETURN);
                return;
            }
            gchar* text = nullptr;
            g_object_get(box, "text", &text, nullptr);
            question = text != nullptr ? text : "";
            g_free(text);
            gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_NO);
            stage = 3;
        } else if (stage == 3) {
            GtkWidget* chooser = ShownDialog(GTK_TYPE_FILE_CHOOSER_DIALOG);
            if (chooser == nullptr) return;
            offeredAgain = ChooserName(chooser);
            gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_CANCEL);
            stage = 4;
        }
    });
    driver.Start(50);
    Command(frame, kCmdSaveAs);
    driver.Stop();
    EXPECT_EQ(stage, 4);
    EXPECT_NE(question.find(old), std::string::npos) << question;
    EXPECT_EQ(offeredAgain, "t2b.zarni");
    EXPECT_EQ(ReadAll(old), "the old file");
    EXPECT_FALSE(std::filesystem::exists(Path("t2b.bmp")));
    EXPECT_TRUE(App().doc.modified);

    // Yes replaces it.
    wxString caption, text;
    wxTEST_DIALOG(Command(frame, kCmdSaveAs), ExpectSave(Path("t2b.bmp"), 0),
                  ExpectMessage(wxID_YES, &caption, &text));
    EXPECT_EQ(caption.utf8_string(), "上書きの確認");
    EXPECT_NE(ReadAll(old), "the old file");
    EXPECT_FALSE(App().doc.modified);
}

TEST_F(FileCommands, SaveAsOffersTheDocumentsOwnNameNeverAPicturesName) {
    MainFrame* frame = Start();
    const std::string bmp = Path("front.bmp");
    testing_files::WriteQuarterBmp(bmp, 8, 8);
    wxTEST_DIALOG(ChooseBackPicture(frame), wxExpectModal<wxFileDialog>(bmp));
    Command(frame, kCmdCircle4);
    wxString shown;
    wxTEST_DIALOG(Command(frame, kCmdSaveAs), ExpectSave(Path("model"), 0, &shown));
    EXPECT_EQ(shown.utf8_string().find("front.bmp"), std::string::npos) << shown;
    wxString caption, text;
    wxTEST_DIALOG(Command(frame, kCmdSaveAs), ExpectSave(Path("model"), 0, &shown),
                  ExpectMessage(wxID_YES, &caption, &text));
    EXPECT_EQ(shown.utf8_string(), Path("model.zarni"));
}

TEST_F(FileCommands, UnreadableCommandLineFileIsReportedAndLeavesTheDocument) {
    const std::string bad = Path("bad.zarni");
    std::ofstream(bad) << "not a document";
    wxString caption, text;
    wxTEST_DIALOG(Start({bad}), ExpectMessage(wxID_OK, &caption, &text));
    EXPECT_EQ(App().doc.objectCount(), 1);
    EXPECT_FALSE(App().doc.modified);
    EXPECT_NE(text.utf8_string().find(bad), std::string::npos);
}

TEST_F(FileCommands, DroppedFilesAreAppendedAndBadOnesReported) {
    MainFrame* frame = Start();
    const std::string a = WriteSample("a.zarni", 2);
    const std::string b = WriteSample("b.zarni", 1);
    const std::string bogus = Path("notes.txt");
    std::ofstream(bogus) << "text";
    App().doc.selectedAnchors = {};
    wxArrayString names;
    for (const std::string& p : {a, bogus, b})
        names.Add(wxString::FromUTF8(p));

    wxString caption, text;
    wxTEST_DIALOG(
        {
            // A drop on a view reaches the main window as well.
            static_cast<wxFileDropTarget*>(frame->views().view(0)->GetDropTarget())
                ->OnDropFiles(0, 0, names);
            Pump(30);
        },
        ExpectMessage(wxID_OK, &caption, &text));
    EXPECT_EQ(App().doc.objectCount(), 4);
    EXPECT_TRUE(App().doc.modified);
    EXPECT_NE(text.utf8_string().find("notes.txt"), std::string::npos);
    EXPECT_EQ(text.utf8_string().find("a.zarni"), std::string::npos);

    // Nothing appended: no change and no `modified`.
    App().history.Commit(App().doc);
    App().history.MarkSaved();
    App().doc.modified = false;
    wxArrayString only;
    only.Add(wxString::FromUTF8(bogus));
    wxTEST_DIALOG(
        {
            static_cast<wxFileDropTarget*>(frame->GetDropTarget())->OnDropFiles(0, 0, only);
            Pump(30);
        },
        ExpectMessage(wxID_OK, &caption, &text));
    EXPECT_EQ(App().doc.objectCount(), 4);
    EXPECT_FALSE(App().doc.modified);
}

}  // namespace
}  // namespace zarni
