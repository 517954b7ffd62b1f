// The command boundary: a command that runs out of memory or fails otherwise half-way is
// reported in a message, the document goes back to what it was before the command and the
// program goes on; a save that fails at the disk keeps the old file and the change mark.
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include <fstream>
#include <new>
#include <sstream>
#include <stdexcept>

#include "dialog_answers.h"
#include "gui_fixture.h"
#include "platform/files.h"
#include "resources/ids.h"

namespace zarni {
namespace {

class CommandFailure : public GuiTest {
  protected:
    void TearDown() override {
        if (MainFrame* frame = TheMainFrame()) frame->beforeCommand = nullptr;
        SetWriteFaultsForTesting({});
        GuiTest::TearDown();
    }
};

bool Contains(const wxString& text, const char* utf8) {
    return text.find(wxString::FromUTF8(utf8)) != wxString::npos;
}

TEST_F(CommandFailure, AFailingCommandIsReportedAndUndoneWhole) {
    MainFrame* frame = Start();
    AppState& app = App();
    const std::string fresh = DocumentBytes(app.doc);
    ASSERT_FALSE(app.doc.modified);

    // Half the work done, then the memory runs out.
    frame->beforeCommand = [&app](int id) {
        if (id != kCmdSphere) return;
        AddCircle8(app.doc, app.sw);
        CreateObject(app.doc);
        throw std::bad_alloc();
    };
    wxString notice;
    wxTEST_DIALOG(Command(frame, kCmdSphere), ExpectNotice(&notice));
    EXPECT_TRUE(Contains(notice, "メモリが足りない")) << notice.utf8_string();
    EXPECT_TRUE(Contains(notice, "前の状態に戻しました")) << notice.utf8_string();
    EXPECT_EQ(DocumentBytes(app.doc), fresh);
    EXPECT_FALSE(app.doc.modified);
    EXPECT_FALSE(app.history.CanUndo());

    // A changed document goes back to its changed state, the mark stays, and the program goes
    // on: the next command works and can be undone.
    frame->beforeCommand = nullptr;
    Command(frame, kCmdCircle4);
    ASSERT_TRUE(WaitUntil([&app] { return app.history.CanUndo(); }));
    const std::string changed = DocumentBytes(app.doc);
    frame->beforeCommand = [&app](int) {
        AddSphere(app.doc, app.sw);
        app.doc.objects[0].points.clear();  // records left inconsistent
        throw std::runtime_error("the disk caught fire");
    };
    wxTEST_DIALOG(Command(frame, kCmdCircle8), ExpectNotice(&notice));
    EXPECT_TRUE(Contains(notice, "the disk caught fire")) << notice.utf8_string();
    EXPECT_EQ(DocumentBytes(app.doc), changed);
    EXPECT_TRUE(app.doc.modified);

    frame->beforeCommand = nullptr;
    Command(frame, kCmdCircle8);
    EXPECT_NE(DocumentBytes(app.doc), changed);
    ASSERT_TRUE(WaitUntil([&app] { return app.history.stateCount() == 3; }));
    Command(frame, kCmdUndo);
    EXPECT_EQ(DocumentBytes(app.doc), changed);
}

// A save dialog answered with `path`.
class AnswerSave : public wxExpectModalBase<wxFileDialog, AnswerSave> {
  public:
    explicit AnswerSave(std::string path) : path_(std::move(path)) {}

  protected:
    int OnInvoked(wxFileDialog* dialog) const override {
        dialog->SetPath(wxString::FromUTF8(path_));
        dialog->SetFilterIndex(0);
        return wxID_OK;
    }

  private:
    std::string path_;
};

// "上書きの確認" answered Yes: the file exists.
AnswerDialog<wxMessageDialog> ReplaceYes() {
    return AnswerDialog<wxMessageDialog>(
        [](wxMessageDialog*) { return static_cast<int>(wxID_YES); });
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(CommandFailure, ASaveThatFailsAtTheDiskKeepsTheOldFileAndTheMark) {
    MainFrame* frame = Start();
    AppState& app = App();
    const std::string path = Path("kept.zarni");
    { std::ofstream(path, std::ios::binary) << "old contents"; }
    Command(frame, kCmdCircle4);
    ASSERT_TRUE(app.doc.modified);
    for (int point = 0; point < 3; ++point) {
        WriteFaults faults;
        faults.failAfterBytes = point == 0 ? 20 : -1;
        faults.failFlush = point == 1;
        faults.failRename = point == 2;
        SetWriteFaultsForTesting(faults);
        wxString notice;
        wxTEST_DIALOG(Command(frame, kCmdSaveAs), AnswerSave(path), ReplaceYes(),
                      ExpectNotice(&notice));
        EXPECT_TRUE(Contains(notice, path.c_str())) << notice.utf8_string();
        EXPECT_EQ(ReadAll(path), "old contents") << point;
        EXPECT_TRUE(app.doc.modified) << point;
    }
    SetWriteFaultsForTesting({});
    wxTEST_DIALOG(Command(frame, kCmdSaveAs), AnswerSave(path), ReplaceYes());
    EXPECT_FALSE(app.doc.modified);
    EXPECT_EQ(ReadAll(path), DocumentBytes(app.doc));
}

}  // namespace
}  // namespace zarni
