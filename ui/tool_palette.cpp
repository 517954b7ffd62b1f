// The tool palette strip: back buffer, hover timer, mouse capture, and the host services the
// palette machine asks for.
#include "ui/tool_palette.h"

#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/settings.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <algorithm>

#include "formats/settings_file.h"
#include "platform/clock.h"
#include "rules/palette.h"
#include "ui/app_state.h"
#include "ui/icon_bitmaps.h"
#include "ui/shape_dialogs.h"
#include "ui/ui_font.h"
#include "ui/views.h"

namespace zarni {

std::function<void()> g_toggleObjectList;

namespace {

class ToolPalette;
ToolPalette* g_palette = nullptr;

class ToolPalette : public PaletteStrip, public PaletteHost {
  public:
    static constexpr int kHoverTimerMs = 179;

    explicit ToolPalette(wxFrame* frame)
        : frame_(frame),
          machine_(App().doc, App().sw, *this),
          timer_(frame, wxWindow::NewControlId()) {
        g_palette = this;
        timerId_ = timer_.GetId();
        frame_->Bind(wxEVT_TIMER, &ToolPalette::OnTimer, this, timerId_);
        frame_->Bind(wxEVT_MOUSE_CAPTURE_LOST, &ToolPalette::OnCaptureLost, this);
        timer_.Start(kHoverTimerMs);
        Resized();
    }

    ~ToolPalette() override {
        timer_.Stop();
        frame_->Unbind(wxEVT_TIMER, &ToolPalette::OnTimer, this, timerId_);
        frame_->Unbind(wxEVT_MOUSE_CAPTURE_LOST, &ToolPalette::OnCaptureLost, this);
        if (frame_->HasCapture()) frame_->ReleaseMouse();
        if (g_palette == this) g_palette = nullptr;
    }

    PaletteMachine& machine() { return machine_; }
    const std::vector<PaletteShownText>& shown() const { return shown_; }

    // PaletteStrip ---------------------------------------------------------------------------
    void Paint(wxDC& dc) override {
        if (!buffer_.IsOk()) Render();
        if (buffer_.IsOk()) dc.DrawBitmap(buffer_, 0, 0);
    }

    void OnMouse(wxMouseEvent& event) override {
        const wxEventType type = event.GetEventType();
        if (type == wxEVT_MOTION) {
            machine_.MouseMove();
        } else if (event.ButtonDown() || event.ButtonDClick()) {
            // The toolkit reports the second press of a double click as a double click; the
            // palette times double clicks itself and takes it as a press.
            machine_.ButtonDown();
        } else if (event.ButtonUp()) {
            machine_.ButtonUp();
        }
        event.Skip();
    }

    bool Dragging() const override { return machine_.dragging(); }
    void IdlePoll() override { machine_.IdlePoll(); }

    void Redraw() override {
        Render();
        frame_->RefreshRect(wxRect(0, 0, frame_->GetClientSize().x, kHeight), false);
    }

    void Resized() override {
        const int width = std::max(1, frame_->GetClientSize().x);
        buffer_ = wxBitmap(width, kHeight);
        machine_.ResetHover();
        Redraw();
    }

    // PaletteHost ----------------------------------------------------------------------------
    PalettePoint CursorClient() override {
        const wxPoint p = frame_->ScreenToClient(wxGetMousePosition());
        return {p.x, p.y};
    }
    PalettePoint CursorScreen() override {
        const wxPoint p = wxGetMousePosition();
        return {p.x, p.y};
    }
    int32_t ClientWidth() override { return frame_->GetClientSize().x; }
    uint32_t TickCount() override { return ::zarni::TickCount(); }
    uint32_t DoubleClickTime() override {
        const int ms = wxSystemSettings::GetMetric(wxSYS_DCLICK_MSEC);
        return ms > 0 ? static_cast<uint32_t>(ms) : 400u;
    }
    int32_t DoubleClickWidth() override {
        const int width = wxSystemSettings::GetMetric(wxSYS_DCLICK_X, frame_);
        return width > 0 ? width : 4;
    }
    uint8_t ButtonsDown() override {
        const wxMouseState mouse = wxGetMouseState();
        return static_cast<uint8_t>((mouse.LeftIsDown() ? kPalettePrimary : 0) |
                                    (mouse.RightIsDown() ? kPaletteSecondary : 0) |
                                    (mouse.MiddleIsDown() ? kPaletteMiddle : 0));
    }
    bool ViewDragging() override {
        ViewSet* views = ::zarni::Views();
        return views && views->dragState() != 0;
    }
    PaletteViews Views() override {
        PaletteViews out;
        ViewSet* views = ::zarni::Views();
        if (!views) return out;
        for (int i = 0; i < ViewSet::kViews; ++i) {
            if (const ViewPanel* v = views->view(i)) {
                out.views[i].perspective = v->camera.perspective != 0;
                out.views[i].viewIndex = v->camera.viewIndex;
            }
        }
        const int current = views->currentView();
        if (current >= 0 && current < ViewSet::kViews && views->view(current))
            out.currentSlot = std::clamp(views->view(current)->camera.viewIndex, 0, 5);
        return out;
    }
    bool FourViews() override { return ::zarni::Views() && ::zarni::Views()->fourViews(); }

    void RedrawPalette() override { Redraw(); }
    void RedrawAllViews() override { ::zarni::RedrawAllViews(); }
    void ToggleObjectList() override {
        if (g_toggleObjectList) g_toggleObjectList();
    }
    void ToggleViewLayout() override {
        if (ViewSet* views = ::zarni::Views()) views->ToggleViewLayout();
    }
    void CycleDisplayModes() override {
        if (ViewSet* views = ::zarni::Views()) views->CycleDisplayModes();
    }
    void SendCommand(int id) override {
        frame_->GetEventHandler()->QueueEvent(new wxCommandEvent(wxEVT_MENU, id));
    }
    void ExtrudeWithDialog() override { ExtrudeSelectionWithDialog(frame_); }
    void LatheWithDialog() override { LatheSelectionWithDialog(frame_); }
    void SaveDivLevel(int32_t level) override {
        AppState& app = App();
        app.settings.divLevel = level;
        ::zarni::SaveDivLevel(level, app.settingsPath);
    }
    void DragStarted() override {
        // Drags go on outside the window; a lost capture ends them as a release would.
        if (!frame_->HasCapture()) frame_->CaptureMouse();
    }
    void DragEnded() override {
        if (frame_->HasCapture()) frame_->ReleaseMouse();
    }

  private:
    void Render() {
        const int width = std::max(1, frame_->GetClientSize().x);
        if (!buffer_.IsOk() || buffer_.GetWidth() != width) buffer_ = wxBitmap(width, kHeight);
        wxMemoryDC dc(buffer_);
        const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(face));
        dc.DrawRectangle(0, 0, width, 44);
        dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)));
        dc.DrawLine(0, 0, width - 4, 0);
        dc.SetPen(*wxWHITE_PEN);
        dc.DrawLine(1, 1, width - 3, 1);
        dc.SetFont(UiFont());
        dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
        dc.SetTextForeground(*wxBLACK);
        const AppState& app = App();
        shown_.clear();
        for (const PaletteDrawItem& item :
             PaletteDrawList(app.doc, app.sw, Views(), FourViews(), machine_.hoverCell())) {
            if (item.kind == PaletteDrawItem::Kind::Icon) {
                const wxBitmap& icon = IconBitmap(item.icon);
                if (icon.IsOk()) dc.DrawBitmap(icon, item.x, item.y, true);
            } else {
                const wxString text = wxString::FromUTF8(item.text);
                int width = dc.GetTextExtent(text).x;
                if (item.room > 0 && width > item.room) {
                    // Smaller, a point at a time, until the text fits its room.
                    wxFont font = UiFont();
                    while (width > item.room && font.GetFractionalPointSize() > 5.0) {
                        font.SetFractionalPointSize(font.GetFractionalPointSize() - 0.5);
                        wxCoord w = 0;
                        dc.GetTextExtent(text, &w, nullptr, nullptr, nullptr, &font);
                        width = w;
                    }
                    dc.SetFont(font);
                }
                dc.DrawText(text, item.x, item.y);
                dc.SetFont(UiFont());
                shown_.push_back({item.text, item.x, width});
            }
        }
        dc.SelectObject(wxNullBitmap);
        ++renders_;
    }

    void OnTimer(wxTimerEvent&) { machine_.HoverTick(); }
    void OnCaptureLost(wxMouseCaptureLostEvent&) { machine_.CaptureLost(); }

    wxFrame* frame_;
    PaletteMachine machine_;
    wxTimer timer_;
    int timerId_ = wxID_ANY;
    wxBitmap buffer_;
    uint64_t renders_ = 0;
    std::vector<PaletteShownText> shown_;
};

}  // namespace

std::unique_ptr<PaletteStrip> CreateToolPalette(wxFrame* frame) {
    return std::make_unique<ToolPalette>(frame);
}

std::vector<PaletteShownText> PaletteShownTexts() {
    return g_palette ? g_palette->shown() : std::vector<PaletteShownText>{};
}

PaletteMachine* ThePaletteMachine() {
    return g_palette ? &g_palette->machine() : nullptr;
}

}  // namespace zarni
