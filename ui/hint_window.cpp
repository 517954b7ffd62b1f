// The hint window: measures its text with the UI font, shows at HintModel's rectangle without
// taking the focus, paints an outlined box with the text at (4, 4), and hides on its timer.
#include "ui/hint_window.h"

#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/utils.h>

#include "platform/clock.h"
#include "ui/ui_font.h"

namespace zarni {

namespace {

// The hint brush: entry 15 of the system's default palette.
const wxColour kHintBackground(255, 255, 0);

}  // namespace

HintWindow::HintWindow(wxWindow* parent) : wxPopupWindow(parent, wxBORDER_NONE), timer_(this) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &HintWindow::OnPaint, this);
    Bind(wxEVT_TIMER, &HintWindow::OnTimer, this);
}

void HintWindow::ShowAtCursor(const std::string& text) {
    if (model_.visible()) {
        timer_.Stop();
        Hide();
    }
    model_.SetText(text);
    wxClientDC dc(this);
    dc.SetFont(UiFont().IsOk() ? UiFont() : GetFont());
    const wxSize extent = dc.GetTextExtent(wxString::FromUTF8(text));
    const wxPoint mouse = wxGetMousePosition();
    const wxSize screen = wxGetDisplaySize();
    const HintRect& r =
        model_.Show({mouse.x, mouse.y}, extent.x, extent.y, screen.x, screen.y, TickCount());
    SetSize(r.x, r.y, r.width, r.height);
    Show();
    Refresh(false);
    StartTimer();
}

void HintWindow::SetTimeout(int32_t ms) {
    if (model_.SetTimeout(ms)) StartTimer();
}

void HintWindow::StartTimer() {
    timer_.Stop();
    if (model_.timeout() > 0) timer_.StartOnce(model_.timeout());
}

void HintWindow::OnTimer(wxTimerEvent&) {
    model_.Hide();
    Hide();
}

void HintWindow::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    const wxSize size = GetClientSize();
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(wxBrush(kHintBackground));
    dc.DrawRectangle(0, 0, size.x, size.y);
    dc.SetFont(UiFont().IsOk() ? UiFont() : GetFont());
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(*wxBLACK);
    dc.DrawText(wxString::FromUTF8(model_.text()), 4, 4);
}

}  // namespace zarni
