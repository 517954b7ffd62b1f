// The main window: start-up order, command table, palette strip, view layout, dropped files,
// the idle step and the exit path.
#include "ui/main_frame.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dnd.h>
#include <wx/msgdlg.h>
#include <wx/settings.h>

#include <algorithm>
#include <exception>
#include <new>
#include <stdexcept>

#include "ops/clipboard.h"
#include "ops/primitives.h"
#include "platform/profile.h"
#include "ui/icon_bitmaps.h"
#include "resources/ids.h"
#include "ui/main_menu.h"
#include "ui/app_state.h"
#include "rules/back_picture.h"
#include "rules/file_names.h"
#include "ui/document_commands.h"
#include "ui/key_filter.h"
#include "ui/ui_font.h"

#ifdef ZARNI_CHECK_INVARIANTS
#include <cstdio>
#include <cstdlib>

#include "model/invariants.h"
#endif

namespace zarni {

namespace {

MainFrame* g_mainFrame = nullptr;

#ifdef ZARNI_CHECK_INVARIANTS
// The checking build (sanitizers, soak) looks at the whole document after every recorded step
// and every undo or redo, and stops at the first broken record, where the step that broke it
// is still known.
void CheckDocumentInvariants(const Document& doc, const char* after) {
    std::string why;
    if (DocumentInvariantsHold(doc, &why)) return;
    std::fprintf(stderr, "zarni: document invariant broken after %s: %s\n", after, why.c_str());
    std::abort();
}
#endif

// Every window that takes drops hands the names to the main window, in the order given.
class FileDrop : public wxFileDropTarget {
  public:
    explicit FileDrop(MainFrame* frame) : frame_(frame) {}
    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& names) override {
        std::vector<std::string> paths;
        for (const wxString& name : names)
            paths.push_back(name.utf8_string());
        frame_->OnFilesDropped(paths);
        return true;
    }

  private:
    MainFrame* frame_;
};

}  // namespace

MainFrame* TheMainFrame() {
    return g_mainFrame;
}

void RedrawPalette() {
    if (g_mainFrame && g_mainFrame->palette()) g_mainFrame->palette()->Redraw();
}

MainFrame::MainFrame()
    : wxFrame(nullptr, wxID_ANY, wxString::FromUTF8(App().mainCaption), wxDefaultPosition,
              wxSize(800, 600), wxDEFAULT_FRAME_STYLE | wxCLIP_CHILDREN, "Zarni!") {
    g_mainFrame = this;
    AppState& app = App();
    SetMenuBar(CreateMainMenuBar());
    std::vector<wxAcceleratorEntry> keys = MainAcceleratorEntries();
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(keys.size()), keys.data()));
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));

    Bind(wxEVT_MENU, &MainFrame::OnCommand, this);
    Bind(wxEVT_SIZE, &MainFrame::OnSize, this);
    Bind(wxEVT_PAINT, &MainFrame::OnPaint, this);
    Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {});
    Bind(wxEVT_IDLE, &MainFrame::OnIdle, this);
    Bind(wxEVT_ACTIVATE, &MainFrame::OnActivate, this);
    Bind(wxEVT_CLOSE_WINDOW, &MainFrame::OnClose, this);
    Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& e) {
        if (views_) views_->ClearPainting();
        if (!closing_ && windows.hideObjectList) windows.hideObjectList();
        e.Skip();
    });
    for (const wxEventTypeTag<wxMouseEvent>& type :
         {wxEVT_MOTION, wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_RIGHT_DOWN, wxEVT_RIGHT_UP,
          wxEVT_MIDDLE_DOWN, wxEVT_MIDDLE_UP, wxEVT_LEFT_DCLICK, wxEVT_RIGHT_DCLICK,
          wxEVT_MIDDLE_DCLICK}) {
        Bind(type, &MainFrame::OnMouse, this);
    }

    // Start-up, in order: the UI font; the button swap (none exists here); the drop target;
    // the settings; the views with the first object. The start-up code then attaches the
    // palette and the object list and calls FinishStartUp: the pivot, the history, the
    // recovery copies and the program's keys.
    CreateUiFont();
    app.buttonsSwapped = false;
    SetDropTarget(new FileDrop(this));
    app.settingsPath = SettingsPath();
    app.settings = LoadSettings(app.settingsPath);
    app.sw = EditSwitches{};
    // An out-of-range level from a hand-edited file would make the evaluators draw nothing or
    // take forever; the level's own range is kept.
    app.sw.divLevel = std::clamp(app.settings.divLevel, 1, 20);
    app.sw.backPictureVisible = app.settings.backPictureVisible;
    views_ = std::make_unique<ViewSet>(this);
    for (int i = 0; i < ViewSet::kViews; ++i)
        views_->view(i)->SetDropTarget(new FileDrop(this));
    views_->layoutChanged = [] { RedrawPalette(); };
}

void MainFrame::FinishStartUp() {
    AppState& app = App();
    RecomputePivot(app.doc, app.sw);
    app.doc.modified = false;
    app.documentPath.clear();
    app.history.SetPictureTraits(SlotPictureTraits());
    app.history.Reset(app.doc);
    recovery_ = std::make_unique<RecoveryKeeper>(this);
    InstallKeyFilter(this);
}

MainFrame::~MainFrame() {
    if (!closing_) Teardown();
    views_.reset();
    if (g_mainFrame == this) g_mainFrame = nullptr;
}

void MainFrame::SetPalette(std::unique_ptr<PaletteStrip> palette) {
    palette_ = std::move(palette);
    Refresh(false);
}

wxRect MainFrame::ViewArea() const {
    wxRect area = GetClientRect();
    const int strip = std::min(PaletteStrip::kHeight, area.height);
    area.y += strip;
    area.height -= strip;
    return area;
}

void MainFrame::OnSize(wxSizeEvent&) {
    if (views_ && !closing_) views_->LayoutViews(ViewArea());
    if (palette_ && !closing_) palette_->Resized();
    RefreshRect(wxRect(0, 0, GetClientSize().x, PaletteStrip::kHeight), false);
}

void MainFrame::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    if (palette_) {
        palette_->Paint(dc);
        return;
    }
    // The strip stays empty until the palette is attached.
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(GetBackgroundColour()));
    dc.DrawRectangle(wxRect(GetClientSize()));
}

void MainFrame::OnMouse(wxMouseEvent& event) {
    if (palette_) {
        palette_->OnMouse(event);
        return;
    }
    event.Skip();
}

void MainFrame::OnIdle(wxIdleEvent& event) {
    if (views_ && !closing_) {
        views_->IdleStep();
        if (views_->dragState() == 0 && palette_) palette_->IdlePoll();
        CommitHistory();
    }
    event.Skip();
}

void MainFrame::CommitHistory() {
    AppState& app = App();
    const bool busy = (views_ && views_->dragState() != 0) || (palette_ && palette_->Dragging()) ||
                      ModalDialogOpen() || MenuOpen();
    if (!busy) {
        [[maybe_unused]] const bool stepped = app.history.Commit(app.doc);
#ifdef ZARNI_CHECK_INVARIANTS
        if (stepped) CheckDocumentInvariants(app.doc, "a step");
#endif
        // The change mark is what the history says, whichever command made the change.
        app.doc.modified = app.history.DiffersFromSaved();
    }
    UpdateHistoryState();
}

void MainFrame::UpdateHistoryState() {
    AppState& app = App();
    if (wxMenuBar* bar = GetMenuBar()) {
        if (bar->IsEnabled(kCmdUndo) != app.history.CanUndo())
            bar->Enable(kCmdUndo, app.history.CanUndo());
        if (bar->IsEnabled(kCmdRedo) != app.history.CanRedo())
            bar->Enable(kCmdRedo, app.history.CanRedo());
    }
    if (!app.doc.modified && recovery_) recovery_->Forget();
    const wxString caption =
        wxString::FromUTF8(DocumentCaption(app.mainCaption, app.documentPath, app.doc.modified));
    if (GetTitle() != caption) SetTitle(caption);
}

void MainFrame::UndoStep(bool redo) {
    AppState& app = App();
    // Never in the middle of a drag: the step it makes is not finished.
    if ((views_ && views_->dragState() != 0) || (palette_ && palette_->Dragging())) return;
    app.history.Commit(app.doc);
    if (!(redo ? app.history.Redo(app.doc) : app.history.Undo(app.doc))) return;
#ifdef ZARNI_CHECK_INVARIANTS
    CheckDocumentInvariants(app.doc, redo ? "a redo" : "an undo");
#endif
    RecomputePivot(app.doc, app.sw);
    app.doc.modified = app.history.DiffersFromSaved();
    RedrawAllViews();
    RedrawPalette();
    UpdateHistoryState();
}

void MainFrame::OnActivate(wxActivateEvent& event) {
    // Back to the main window: the object list closes.
    if (event.GetActive() && !closing_ && windows.hideObjectList) windows.hideObjectList();
    if (event.GetActive() && views_ && !closing_) views_->RedrawAllViews();
    event.Skip();
}

void MainFrame::OnClose(wxCloseEvent& event) {
    if (closing_) {
        Destroy();
        return;
    }
    // The close box asks about whatever changed since the last step, as Exit does.
    CommitHistory();
    if (!ExitRoutine()) {
        if (event.CanVeto()) {
            event.Veto();
            return;
        }
        // The session is ending and cannot wait for an answer: the recovery copy stays.
        if (recovery_) {
            recovery_->Tick();
            recovery_->Keep();
        }
        Teardown();
        Destroy();
    }
}

bool MainFrame::ExitRoutine() {
    if (closing_) return true;
    if (!ConfirmExit(this)) return false;
    Teardown();
    Destroy();
    return true;
}

void MainFrame::Teardown() {
    if (closing_) return;
    closing_ = true;
    RemoveKeyFilter();
    // A render under way ends with the program, its folder with it.
    if (windows.closeRender) windows.closeRender();
    recovery_.reset();
    if (windows.destroyObjectList) windows.destroyObjectList();
    if (views_) {
        views_->DestroyViews();
        SetViews(nullptr);
    }
    palette_.reset();
    ReleaseIconBitmaps();
}

void MainFrame::OnFilesDropped(const std::vector<std::string>& paths) {
    if (closing_) return;
    AppendDroppedFiles(this, paths);
}

void MainFrame::OnCommand(wxCommandEvent& event) {
    if (closing_) return;
    // What the document is before the command, so that a command that fails half-way can be
    // undone whole.
    CommitHistory();
    try {
        if (beforeCommand) beforeCommand(event.GetId());
        RunCommand(event);
    } catch (...) {
        CommandFailed();
    }
}

void MainFrame::CommandFailed() {
    std::string text;
    try {
        throw;
    } catch (const std::bad_alloc&) {
        text = "メモリが足りないため、操作を完了できませんでした。";
    } catch (const std::exception& e) {
        text = std::string("操作を完了できませんでした。\n") + e.what();
    } catch (...) {
        text = "操作を完了できませんでした。";
    }
    AppState& app = App();
    if (!closing_ && views_ && views_->dragState() == 0 && !(palette_ && palette_->Dragging())) {
        try {
            app.history.Revert(app.doc);
            app.doc.modified = app.history.DiffersFromSaved();
            RecomputePivot(app.doc, app.sw);
            text += "\n文書は操作の前の状態に戻しました。";
        } catch (...) {
            text += "\n文書を操作の前の状態に戻せませんでした。別の名前で保存してください。";
        }
    }
    if (!closing_) {
        RedrawAllViews();
        RedrawPalette();
        UpdateHistoryState();
    }
    wxMessageBox(wxString::FromUTF8(text), wxString::FromUTF8("エラー"), wxOK | wxICON_ERROR,
                 closing_ ? nullptr : this);
}

void MainFrame::RunCommand(wxCommandEvent& event) {
    AppState& app = App();
    switch (event.GetId()) {
        case kCmdNew:
            NewInstance();
            break;
        case kCmdOpen:
            OpenCommand(this);
            break;
        case kCmdAppend:
            AppendCommand(this);
            break;
        case kCmdCloseAndOpen:
            CloseAndOpenCommand(this);
            break;
        case kCmdSave:
            SaveCommand(this);
            break;
        case kCmdSaveAs:
            SaveAsCommand(this);
            break;
        case kCmdExport:
            ExportCommand(this);
            break;
        case kCmdExit:
            ExitRoutine();
            break;
        case kCmdUndo:
        case kCmdRedo:
            UndoStep(event.GetId() == kCmdRedo);
            break;
        case kCmdCut:
            CutSelection(app.doc, app.clipboard, app.sw);
            RedrawAllViews();
            RedrawPalette();
            break;
        case kCmdCopy:
            CopySelection(app.doc, app.clipboard);
            break;
        case kCmdPaste:
            PasteClipboard(app.doc, app.clipboard, app.sw);
            RedrawAllViews();
            RedrawPalette();
            break;
        case kCmdCircle4:
        case kCmdCircle8:
        case kCmdSphere:
            if (event.GetId() == kCmdCircle4) AddCircle4(app.doc, app.sw);
            if (event.GetId() == kCmdCircle8) AddCircle8(app.doc, app.sw);
            if (event.GetId() == kCmdSphere) AddSphere(app.doc, app.sw);
            RedrawAllViews();
            RedrawPalette();
            break;
        case kCmdText:
            if (windows.text) windows.text(this);
            break;
        case kCmdPreference:
            if (windows.preferences) windows.preferences(this);
            RedrawAllViews();
            break;
        case kCmdHelp:
            OpenHelpText();
            break;
        case kCmdVersion:
            if (windows.version) windows.version(this);
            break;
        case kCmdRender:
            if (windows.render) windows.render(this);
            break;
        default:
            event.Skip();
            break;
    }
}

void MainFrame::OfferRecovery() {
    if (recovery_ && !closing_) recovery_->OfferLeftCopies();
}

}  // namespace zarni
