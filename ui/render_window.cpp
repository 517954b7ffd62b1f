// The render window: POV-Ray runs as a child process polled from a timer (its console on a
// non-blocking pipe), so the views, the palette and the menus go on working while it traces.
#include "ui/render_window.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcbuffer.h>
#include <wx/gauge.h>
#include <wx/image.h>
#include <wx/msgdlg.h>
#include <wx/mstream.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cstdio>

#include "formats/settings_file.h"
#include "platform/files.h"
#include "ui/app_state.h"
#include "ui/file_dialog.h"
#include "ui/main_frame.h"
#include "ui/views.h"

namespace zarni {

namespace {

RenderWindow* g_renderWindow = nullptr;

enum ControlId : int {
    kRenderButtonId = 901,
    kCancelButtonId,
    kSaveButtonId,
};

wxString Caption() {
    const std::string& path = App().documentPath;
    const size_t slash = path.find_last_of('/');
    const std::string name = path.empty() ? "untitled" : path.substr(slash + 1);
    return wxString::FromUTF8("Render - " + name);
}

}  // namespace

// The finished picture at its own size, scrolled when the window is smaller; the views'
// background colour around it and before the first picture.
class RenderPicture : public wxScrolledWindow {
  public:
    explicit RenderPicture(wxWindow* parent) : wxScrolledWindow(parent, wxID_ANY) {
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        SetScrollRate(16, 16);
        Bind(wxEVT_PAINT, &RenderPicture::OnPaint, this);
    }
    void SetPicture(const RgbPicture& picture) {
        // wxImage takes the bytes over and frees them with free().
        auto* bytes = static_cast<unsigned char*>(std::malloc(picture.rgb.size()));
        if (!bytes) return;
        std::copy(picture.rgb.begin(), picture.rgb.end(), bytes);
        image_ = wxImage(picture.width, picture.height, bytes);
        bitmap_ = wxBitmap(image_);
        SetVirtualSize(picture.width, picture.height);
        Refresh(false);
    }
    const wxImage& image() const { return image_; }

  private:
    void OnPaint(wxPaintEvent&) {
        wxAutoBufferedPaintDC dc(this);
        DoPrepareDC(dc);
        const auto& back = App().settings.backColorRGBA;
        const wxColour colour(static_cast<unsigned char>(back[0] * 255.0f + 0.5f),
                              static_cast<unsigned char>(back[1] * 255.0f + 0.5f),
                              static_cast<unsigned char>(back[2] * 255.0f + 0.5f));
        dc.SetBackground(wxBrush(colour));
        dc.Clear();
        if (bitmap_.IsOk()) dc.DrawBitmap(bitmap_, 0, 0);
    }

    wxImage image_;
    wxBitmap bitmap_;
};

RenderWindow::RenderWindow(wxWindow* owner)
    : wxFrame(owner, wxID_ANY, Caption(), wxDefaultPosition, wxDefaultSize, wxDEFAULT_FRAME_STYLE,
              "Render"),
      timer_(this) {
    g_renderWindow = this;
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    auto* panel = new wxPanel(this);
    const RenderChoices choices = LoadRenderChoices(App().settingsPath);
    // The perspective view's own size unless it is out of the window's range.
    wxSize size(640, 480);
    if (MainFrame* frame = TheMainFrame()) {
        if (ViewPanel* view = frame->views().view(0)) {
            size = wxSize(view->camera.width, view->camera.height);
        }
    }
    size.x = std::clamp(size.x, kMinWidth, kMaxWidth);
    size.y = std::clamp(size.y, kMinHeight, kMaxHeight);

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    auto label = [&](const char* text) {
        row->Add(new wxStaticText(panel, wxID_ANY, text), 0, wxALIGN_CENTER_VERTICAL | wxLEFT,
                 FromDIP(6));
    };
    auto spin = [&](int min, int max, int value) {
        auto* box = new wxSpinCtrl(panel, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                   wxSP_ARROW_KEYS, min, max, value);
        row->Add(box, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, FromDIP(4));
        return box;
    };
    label("Width");
    width_ = spin(kMinWidth, kMaxWidth, size.x);
    label("Height");
    height_ = spin(kMinHeight, kMaxHeight, size.y);
    label("Quality");
    quality_ = spin(kPovrayMinQuality, kPovrayMaxQuality, choices.quality);
    antialias_ = new wxCheckBox(panel, wxID_ANY, "Antialias");
    antialias_->SetValue(choices.antialias);
    row->Add(antialias_, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, FromDIP(8));
    row->AddStretchSpacer();
    render_ = new wxButton(panel, kRenderButtonId, "Render (F5)");
    cancel_ = new wxButton(panel, kCancelButtonId, "Cancel");
    save_ = new wxButton(panel, kSaveButtonId, "Save...");
    for (wxButton* b : {render_, cancel_, save_})
        row->Add(b, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, FromDIP(4));

    auto* progress = new wxBoxSizer(wxHORIZONTAL);
    gauge_ = new wxGauge(panel, wxID_ANY, 100, wxDefaultPosition, wxSize(FromDIP(200), -1));
    status_ = new wxStaticText(panel, wxID_ANY, wxEmptyString);
    progress->Add(gauge_, 0, wxALIGN_CENTER_VERTICAL);
    progress->Add(status_, 1, wxALIGN_CENTER_VERTICAL | wxLEFT, FromDIP(8));

    picture_ = new RenderPicture(panel);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(row, 0, wxEXPAND | wxALL, FromDIP(4));
    column->Add(progress, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(6));
    column->Add(picture_, 1, wxEXPAND);
    panel->SetSizer(column);
    // Room for a picture of the view's size, within the screen's reach, and for every control.
    SetClientSize(
        std::max(std::min(size.x, 1024), row->GetMinSize().x + FromDIP(8)),
        std::min(size.y, 768) + row->GetMinSize().y + progress->GetMinSize().y + FromDIP(14));

    render_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Render(); });
    cancel_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CancelRender(); });
    save_->Bind(wxEVT_BUTTON, &RenderWindow::OnSave, this);
    Bind(wxEVT_TIMER, &RenderWindow::OnTimer, this);
    Bind(wxEVT_CLOSE_WINDOW, &RenderWindow::OnClose, this);
    Bind(wxEVT_CHAR_HOOK, &RenderWindow::OnKey, this);
    UpdateButtons();
}

RenderWindow::~RenderWindow() {
    timer_.Stop();
    job_.Cancel();
    if (g_renderWindow == this) g_renderWindow = nullptr;
}

void RenderWindow::Render() {
    SetTitle(Caption());
    AppState& app = App();
    const RenderChoices choices = this->choices();
    // Only a change is written: a render is not a reason to touch the file.
    const RenderChoices stored = LoadRenderChoices(app.settingsPath);
    if (stored.quality != choices.quality || stored.antialias != choices.antialias)
        SaveRenderChoices(choices, app.settingsPath);

    ViewCamera camera;
    InitViewCamera(camera, app.settings.defaultAltitude);
    if (MainFrame* frame = TheMainFrame()) {
        if (ViewPanel* view = frame->views().view(0)) camera = view->camera;
    }
    PovrayOptions options;
    options.width = width_->GetValue();
    options.height = height_->GetValue();
    options.quality = choices.quality;
    options.antialias = choices.antialias;
    camera.width = options.width;
    camera.height = options.height;
    const SceneView scene = SceneViewOfCamera(camera, app.cameras.fovy, app.settings.backColorRGBA);
    started_ = std::chrono::steady_clock::now();
    gauge_->SetValue(0);
    if (job_.Start(app.doc, scene, options, program)) {
        SetStatus(wxString::FromUTF8("レンダリング中..."));
        timer_.Start(kPollMs);
    } else {
        timer_.Stop();
        SetStatus(wxString::FromUTF8(job_.message()));
    }
    UpdateButtons();
}

void RenderWindow::CancelRender() {
    if (!job_.running()) return;
    job_.Cancel();
    timer_.Stop();
    gauge_->SetValue(0);
    SetStatus(wxString::FromUTF8("中止しました"));
    UpdateButtons();
}

void RenderWindow::OnTimer(wxTimerEvent&) {
    // Reads what the console wrote since the last tick; never waits for POV-Ray.
    const PovrayJob::State state = job_.Poll();
    if (state == PovrayJob::State::Running) {
        const int percent = std::max(job_.percent(), 0);
        if (gauge_->GetValue() != percent) gauge_->SetValue(percent);
        const wxString text =
            wxString::FromUTF8("レンダリング中... ") + wxString::Format("%d%%", percent);
        if (status_->GetLabel() != text) SetStatus(text);
        return;
    }
    timer_.Stop();
    if (state == PovrayJob::State::Done) {
        gauge_->SetValue(100);
        picture_->SetPicture(job_.picture());
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        SetStatus(wxString::Format("%d x %d, %.1f s", job_.picture().width, job_.picture().height,
                                   seconds));
    } else if (state == PovrayJob::State::Failed) {
        gauge_->SetValue(0);
        SetStatus(wxString::FromUTF8(job_.message()));
    }
    UpdateButtons();
}

void RenderWindow::OnKey(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_ESCAPE:
            CancelRender();
            return;
        case WXK_F5:
            // Without the program's key filter (it sends F5 to the main window's command).
            Render();
            return;
        default:
            event.Skip();
    }
}

void RenderWindow::OnClose(wxCloseEvent&) {
    timer_.Stop();
    job_.Cancel();
    Destroy();
    if (g_renderWindow == this) g_renderWindow = nullptr;
}

bool RenderWindow::hasPicture() const {
    return picture_->image().IsOk();
}

wxSize RenderWindow::pictureSize() const {
    return hasPicture() ? picture_->image().GetSize() : wxSize();
}

void RenderWindow::SetRenderSize(int width, int height) {
    width_->SetValue(width);
    height_->SetValue(height);
}

wxSize RenderWindow::renderSize() const {
    return wxSize(width_->GetValue(), height_->GetValue());
}

void RenderWindow::SetChoices(int quality, bool antialias) {
    quality_->SetValue(quality);
    antialias_->SetValue(antialias);
}

RenderChoices RenderWindow::choices() const {
    RenderChoices choices;
    choices.quality = quality_->GetValue();
    choices.antialias = antialias_->GetValue();
    return choices;
}

wxString RenderWindow::StatusText() const {
    return status_->GetLabel();
}

void RenderWindow::SetStatus(const wxString& text) {
    status_->SetLabel(text);
    status_->SetToolTip(text);
}

void RenderWindow::UpdateButtons() {
    cancel_->Enable(job_.running());
    save_->Enable(hasPicture());
}

bool RenderWindow::SavePicture(const std::string& path, std::string* why) {
    if (!hasPicture()) {
        if (why) *why = "no picture has been rendered yet";
        return false;
    }
    wxMemoryOutputStream stream;
    if (!picture_->image().SaveFile(stream, wxBITMAP_TYPE_PNG)) {
        if (why) *why = "the picture could not be encoded as PNG";
        return false;
    }
    std::string bytes(stream.GetLength(), '\0');
    stream.CopyTo(bytes.data(), bytes.size());
    return WriteFileAtomically(
        path,
        [&](std::FILE* f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); },
        why);
}

void RenderWindow::OnSave(wxCommandEvent&) {
    if (!hasPicture()) return;
    FileDialog dialog(this, wxString::FromUTF8("画像の保存"), wxEmptyString, "render.png",
                      "PNG (*.png)|*.png", wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) return;
    std::string path = dialog.GetPath().utf8_string();
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        path += ".png";
    } else if (wxString::FromUTF8(path.substr(dot)).Lower() != ".png") {
        path = path.substr(0, dot) + ".png";
    }
    std::string why;
    if (SavePicture(path, &why)) {
        SetStatus(wxString::FromUTF8(path));
    } else {
        wxMessageBox(wxString::FromUTF8("画像を保存できませんでした。\n" + why),
                     wxString::FromUTF8("エラー"), wxOK | wxICON_ERROR, this);
    }
}

RenderWindow* ShowRenderWindow(wxWindow* owner) {
    RenderWindow* window = g_renderWindow;
    if (!window) window = new RenderWindow(owner);
    window->Show();
    window->Raise();
    window->Render();
    return window;
}

RenderWindow* TheRenderWindow() {
    return g_renderWindow;
}

void CloseRenderWindow() {
    if (RenderWindow* window = g_renderWindow) {
        g_renderWindow = nullptr;
        window->CancelRender();
        window->Destroy();
    }
}

bool InRenderWindow(wxWindow* window) {
    return window && g_renderWindow && wxGetTopLevelParent(window) == g_renderWindow;
}

}  // namespace zarni
