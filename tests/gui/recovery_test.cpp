// Crash recovery end to end: a copy left by a program that is no longer running is offered at
// the next start and restored, pictures included, and the program then keeps its own copy.
#include <sys/wait.h>
#include <unistd.h>
#include <wx/msgdlg.h>

#include <cstdlib>
#include <filesystem>

#include "dialog_answers.h"
#include "gui_fixture.h"
#include "rules/back_picture.h"
#include "rules/recovery.h"
#include "tests/core/bmp_writer.h"

namespace zarni {
namespace {

class Recovery : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        const char* previous = std::getenv("XDG_STATE_HOME");
        keep_ = previous ? previous : "";
        hadState_ = previous != nullptr;
        setenv("XDG_STATE_HOME", Path("state").c_str(), 1);
    }
    void TearDown() override {
        GuiTest::TearDown();
        if (hadState_) {
            setenv("XDG_STATE_HOME", keep_.c_str(), 1);
        } else {
            unsetenv("XDG_STATE_HOME");
        }
    }

    // The copy a program that ended without saving left of `file` (read as it is on disk),
    // made from the document at `documentPath`.
    std::string LeaveCopy(const std::string& file, const std::string& documentPath) {
        Document doc;
        EditSwitches sw;
        Clipboard clip;
        EXPECT_EQ(ReadDocumentFile(doc, sw, clip, file), kFileOk);
        const pid_t gone = fork();  // a process id that is no longer running
        if (gone == 0) _exit(0);
        waitpid(gone, nullptr, 0);
        std::string why;
        EXPECT_TRUE(WriteRecovery(doc, documentPath, RecoveryFolder(), gone, &why)) << why;
        return RecoveryFile(RecoveryFolder(), gone);
    }

    // Starts the program, answering the offer with Yes; the question's text.
    std::string StartAndRestore() {
        wxString question;
        wxTEST_DIALOG(Start(), AnswerDialog<wxMessageDialog>([&](wxMessageDialog* d) {
                          question = d->GetMessage();
                          return static_cast<int>(wxID_YES);
                      }));
        return question.utf8_string();
    }

  private:
    std::string keep_;
    bool hadState_ = false;
};

TEST_F(Recovery, ACopyLeftBehindIsOfferedAndRestored) {
    const std::string document = WriteSample("crashed.zarni", 3);
    const std::string copy = LeaveCopy(document, document);
    EXPECT_NE(StartAndRestore().find(document), std::string::npos);
    EXPECT_EQ(App().doc.objectCount(), 3);
    EXPECT_TRUE(App().doc.modified) << "a restored document is not its file";
    EXPECT_EQ(App().documentPath, document);
    EXPECT_FALSE(std::filesystem::exists(copy)) << "the restored copy is gone";

    // This program keeps its own copy now; saving removes it, and so does a clean exit.
    TheMainFrame()->recovery()->Tick();
    const std::string own = TheMainFrame()->recovery()->file();
    ASSERT_FALSE(own.empty());
    EXPECT_TRUE(std::filesystem::exists(own));
    App().doc.modified = false;
    TheMainFrame()->recovery()->Tick();
    EXPECT_FALSE(std::filesystem::exists(own));
}

TEST_F(Recovery, ARestoredDocumentFindsItsPicturesBesideItsOwnPath) {
    // The stored picture path is gone (written on another machine); the picture lies beside
    // the document, not beside the recovery copy.
    std::filesystem::create_directories(Path("docs"));
    testing_files::WriteQuarterBmp(Path("docs/front.bmp"), 16, 8);
    Document doc = NewDocument();
    doc.backPictures[kBackFront].fileName = "/no/such/folder/front.bmp";
    const std::string document = Path("docs/drawing.zarni");
    ASSERT_EQ(WriteDocumentFile(doc, document), kFileOk);
    LeaveCopy(document, document);
    StartAndRestore();  // a missing picture would be reported: a dialog not expected here
    ASSERT_NE(App().doc.backPictures[kBackFront].picture, nullptr);
    EXPECT_EQ(App().doc.backPictures[kBackFront].picture->width(), 16);
    EXPECT_EQ(App().doc.backPictures[kBackFront].fileName, "/no/such/folder/front.bmp");
}

}  // namespace
}  // namespace zarni
