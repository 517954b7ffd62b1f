// The main window: menu and accelerator commands, the palette strip at the top, the views
// below it, dropped files, the idle step and the exit path.
#pragma once

#include <wx/frame.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/palette_strip.h"
#include "ui/recovery_keeper.h"
#include "ui/views.h"

namespace zarni {

class MainFrame : public wxFrame {
  public:
    // Creates the 800 x 600 window and brings up everything in start-up order: UI font,
    // drop target, settings, views, palette, pivot.
    MainFrame();
    ~MainFrame() override;

    ViewSet& views() { return *views_; }
    void SetPalette(std::unique_ptr<PaletteStrip> palette);
    PaletteStrip* palette() { return palette_.get(); }

    // The client area below the palette strip.
    wxRect ViewArea() const;
    // The exit routine: asks, then releases the views and the document and closes the
    // window. Returns false when the user chose to stay.
    bool ExitRoutine();
    // Files dropped on the window or one of its views.
    void OnFilesDropped(const std::vector<std::string>& paths);

    // Offers the recovery copies a program that stopped left behind (at start).
    void OfferRecovery();
    RecoveryKeeper* recovery() { return recovery_.get(); }

    // Shows the preferences; set by the preferences sheet.
    std::function<void(wxWindow*)> showPreferences;

    // The boundary every command ends at: called while an exception that escaped a command or
    // an event handler is being handled. Puts the document back into the state recorded
    // before the command, redraws and tells the user what failed; the program goes on.
    void CommandFailed();
    // Runs at the start of each menu command, inside its boundary (tests make it fail).
    std::function<void(int id)> beforeCommand;

  private:
    void OnCommand(wxCommandEvent& event);
    void RunCommand(wxCommandEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnPaint(wxPaintEvent& event);
    void OnMouse(wxMouseEvent& event);
    void OnIdle(wxIdleEvent& event);
    void OnActivate(wxActivateEvent& event);
    void OnClose(wxCloseEvent& event);
    void Teardown();
    // Records the changes since the last step as one step, unless a drag, a dialog or a menu
    // is still under way; then brings the Undo and Redo items and the caption up to date.
    void CommitHistory();
    // Undo (or Redo) one step of the document.
    void UndoStep(bool redo);
    void UpdateHistoryState();

    std::unique_ptr<ViewSet> views_;
    std::unique_ptr<PaletteStrip> palette_;
    std::unique_ptr<RecoveryKeeper> recovery_;
    bool closing_ = false;
};

// The main window, or null.
MainFrame* TheMainFrame();

// Start-up after the toolkit is ready: creates the main window, handles the command-line
// arguments (program path not included) and shows the window.
MainFrame* StartProgram(const std::vector<std::string>& arguments);

}  // namespace zarni
