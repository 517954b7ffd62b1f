// Save As, Export and Exit through their dialogs, the command line and dropped files, each
// with the document state and the files it leaves behind.
#include <wx/dnd.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include <fstream>
#include <sstream>

#include "gui_fixture.h"
#include "formats/gltf_export.h"
#include "formats/pov_export.h"
#include "formats/stl_export.h"
#include "resources/ids.h"
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
        EXPECT_TRUE(dialog->HasFlag(wxFD_OVERWRITE_PROMPT));
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

    // The next dialog opens on the last path.
    wxString shown;
    wxTEST_DIALOG(Command(frame, kCmdSaveAs), ExpectSave(saved, 0, &shown));
    EXPECT_EQ(shown.utf8_string(), saved);
}

TEST_F(FileCommands, ExportWritesSceneOrIncludeAndSharesTheFilterIndex) {
    MainFrame* frame = Start();
    Command(frame, kCmdSphere);
    App().doc.modified = false;

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
    EXPECT_FALSE(App().doc.modified) << "Export leaves `modified` alone";

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
    EXPECT_TRUE(App().doc.modified);
    EXPECT_TRUE(App().doc.selectedAnchors.empty());
    EXPECT_FLOAT_EQ(App().cameras.fovy, 40.0f);
    EXPECT_FLOAT_EQ(App().cameras.orthoPan[kViewLeft].x, 1.5f);
    ASSERT_EQ(started.size(), 1u);
    const std::string cwd = wxGetCwd().utf8_string();
    EXPECT_EQ(started[0], (std::vector<std::string>{second, cwd + "/third.zarni"}));
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
