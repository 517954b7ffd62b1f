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
    // Creates the 800 x 600 window and brings up the first part of the start-up: UI font,
    // drop target, settings, views. The start-up code attaches the palette and the object
    // list, then calls FinishStartUp (pivot, history, recovery copies, keys).
    MainFrame();
    ~MainFrame() override;
    void FinishStartUp();

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

    // The windows the main window opens and closes without knowing them; the start-up code
    // attaches them. A window left unattached is simply not opened.
    struct AttachedWindows {
        std::function<void(wxWindow*)> preferences;  // the preferences sheet
        std::function<void(wxWindow*)> version;      // the version box
        std::function<void(wxWindow*)> text;         // Edit > Model > Text...
        std::function<void(wxWindow*)> render;       // the render window
        std::function<void()> closeRender;           // ends a render under way
        std::function<void()> hideObjectList;
        std::function<void()> destroyObjectList;
    };
    AttachedWindows windows;

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

}  // namespace zarni
