// Crash recovery end to end: the real program, started on a file (which counts as a change),
// writes its recovery copy, is killed, and the next start offers the copy and restores it.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/msgdlg.h>

#include <cstdlib>
#include <filesystem>

#include "dialog_answers.h"
#include "gui_fixture.h"
#include "rules/recovery.h"

namespace zarni {
namespace {

using Recovery = GuiTest;

TEST_F(Recovery, ACopyLeftByAKilledProgramIsOfferedAndRestored) {
    const std::string document = WriteSample("crashed.zarni", 3);
    const std::string state = Path("state");
    const char* previousState = std::getenv("XDG_STATE_HOME");
    const std::string keep = previousState ? previousState : "";
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    const std::string folder = RecoveryFolder();

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("ZARNI_RECOVERY_SECONDS", "1", 1);
        setenv("ZARNI_INI", Path("child.ini").c_str(), 1);
        execl(ZARNI_PROGRAM_PATH, ZARNI_PROGRAM_PATH, document.c_str(), nullptr);
        _exit(127);
    }
    const std::string copy = RecoveryFile(folder, child);
    const bool written = WaitUntil([&] { return std::filesystem::exists(copy); }, 60.0);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_TRUE(written) << "no recovery copy at " << copy;

    // The next start offers it; Yes restores the document, still marked changed.
    wxString question;
    wxTEST_DIALOG(Start(), AnswerDialog<wxMessageDialog>([&](wxMessageDialog* d) {
                      question = d->GetMessage();
                      return static_cast<int>(wxID_YES);
                  }));
    EXPECT_TRUE(question.utf8_string().find(document) != std::string::npos)
        << question.utf8_string();
    EXPECT_EQ(App().doc.objectCount(), 3);
    EXPECT_TRUE(App().doc.modified);
    EXPECT_EQ(App().documentPath, document);
    EXPECT_FALSE(std::filesystem::exists(copy)) << "the restored copy is gone";

    // Saving removes this program's own copy; a clean exit leaves nothing behind.
    TheMainFrame()->recovery()->Tick();
    const std::string own = TheMainFrame()->recovery()->file();
    ASSERT_FALSE(own.empty());
    EXPECT_TRUE(std::filesystem::exists(own));
    App().doc.modified = false;
    TheMainFrame()->recovery()->Tick();
    EXPECT_FALSE(std::filesystem::exists(own));
    if (keep.empty()) {
        unsetenv("XDG_STATE_HOME");
    } else {
        setenv("XDG_STATE_HOME", keep.c_str(), 1);
    }
}

}  // namespace
}  // namespace zarni
