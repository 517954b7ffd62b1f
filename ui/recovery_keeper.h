// Keeps a recovery copy of a changed document every two minutes, removes it once the document
// is saved or the program ends cleanly, and offers the copies left by a program that stopped.
#pragma once

#include <wx/timer.h>

#include <string>

class wxWindow;

namespace zarni {

class RecoveryKeeper : public wxEvtHandler {
  public:
    explicit RecoveryKeeper(wxWindow* owner);
    ~RecoveryKeeper() override;

    // One tick of the timer, also called by tests: writes the copy while the document has
    // unsaved changes and no drag is under way, removes it once there are none.
    void Tick();
    // The document has no unsaved changes any more (saved, or undone to the saved state).
    void Forget();
    // The program ends without its changes saved (the desktop session is closing): the copy
    // stays for the next start.
    void Keep() { file_.clear(); }
    // At start: offers the newest copy left behind, when this window holds nothing yet.
    void OfferLeftCopies();
    const std::string& file() const { return file_; }

  private:
    void OnTimer(wxTimerEvent&);

    wxWindow* owner_;
    wxTimer timer_;
    std::string folder_;
    std::string file_;  // this process's copy, once written
};

// Seconds between recovery copies: ZARNI_RECOVERY_SECONDS when set (tests), else two minutes.
int RecoveryIntervalSeconds();

}  // namespace zarni
