// Recovery copies of the program's document, written on a timer and offered after a crash.
#include "ui/recovery_keeper.h"

#include <unistd.h>

#include <wx/msgdlg.h>
#include <wx/window.h>

#include <cstdlib>
#include <ctime>

#include "rules/file_names.h"
#include "rules/recovery.h"
#include "ui/app_state.h"
#include "ui/document_commands.h"
#include "ui/key_filter.h"
#include "ui/palette_strip.h"
#include "ui/views.h"

namespace zarni {

int RecoveryIntervalSeconds() {
    const char* text = std::getenv("ZARNI_RECOVERY_SECONDS");
    const int seconds = text ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : kRecoveryIntervalSeconds;
}

RecoveryKeeper::RecoveryKeeper(wxWindow* owner)
    : owner_(owner), timer_(this), folder_(RecoveryFolder()) {
    Bind(wxEVT_TIMER, &RecoveryKeeper::OnTimer, this);
    timer_.Start(RecoveryIntervalSeconds() * 1000);
}

RecoveryKeeper::~RecoveryKeeper() {
    timer_.Stop();
    // A clean end: nothing is left to recover.
    Forget();
}

void RecoveryKeeper::OnTimer(wxTimerEvent&) {
    Tick();
}

void RecoveryKeeper::Tick() {
    AppState& app = App();
    if (!app.doc.modified) {
        Forget();
        return;
    }
    ViewSet* views = Views();
    // Never in the middle of a drag: the copy would hold half an edit.
    if (views && views->dragState() != 0) return;
    std::string why;
    if (WriteRecovery(app.doc, app.documentPath, folder_, getpid(), &why))
        file_ = RecoveryFile(folder_, getpid());
}

void RecoveryKeeper::Forget() {
    if (file_.empty()) return;
    RemoveRecovery(file_);
    file_.clear();
}

void RecoveryKeeper::OfferLeftCopies() {
    AppState& app = App();
    if (!WindowUntouched()) return;
    for (const RecoveryCopy& copy : OrphanedRecoveries(folder_, ProgramRunning)) {
        char when[64] = "";
        const std::time_t t = static_cast<std::time_t>(copy.modifiedTime);
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", std::localtime(&t));
        const std::string name =
            copy.documentPath.empty() ? "(新しい文書)" : MessagePath(copy.documentPath);
        wxMessageDialog question(
            owner_,
            wxString::FromUTF8("前回終了しなかったときの変更が残っています。\n" + name + "\n" +
                               when + " の状態\n\n復元しますか?"),
            wxString::FromUTF8("変更の復元"), wxYES_NO | wxICON_QUESTION);
        if (question.ShowModal() != wxID_YES) {
            RemoveRecovery(copy.file);
            continue;
        }
        // reported; the copy stays
        if (!OpenCommandLineFile(owner_, copy.file, RecoveredPicturesBeside(copy))) continue;
        app.documentPath = copy.documentPath;
        app.doc.modified = true;
        app.history.Reset(app.doc, false);
        RemoveRecovery(copy.file);
        // This program keeps its own copy from now on.
        Tick();
        RedrawAllViews();
        RedrawPalette();
        return;
    }
}

}  // namespace zarni
