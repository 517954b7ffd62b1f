// The render window ("Render - NAME"): the document traced by POV-Ray 3.7 from the perspective
// view's camera in a background process, with its progress, Cancel, Save and F5 to render again.
#pragma once

#include <wx/frame.h>
#include <wx/timer.h>

#include <chrono>
#include <string>

#include "formats/settings_file.h"
#include "rules/povray_render.h"

class wxCheckBox;
class wxGauge;
class wxSpinCtrl;
class wxStaticText;
class wxButton;

namespace zarni {

class RenderPicture;

class RenderWindow : public wxFrame {
  public:
    // The smallest and largest picture the window renders.
    static constexpr int kMinWidth = 320, kMaxWidth = 1920;
    static constexpr int kMinHeight = 240, kMaxHeight = 1440;
    static constexpr int kPollMs = 30;

    explicit RenderWindow(wxWindow* owner);
    ~RenderWindow() override;

    // Renders the present document again, ending a render under way; the caption follows the
    // document's name.
    void Render();
    // Ends a running render at once (Cancel, Esc).
    void CancelRender();
    // Writes the picture as PNG through the durable writer; false with the reason.
    bool SavePicture(const std::string& path, std::string* why);

    const PovrayJob& job() const { return job_; }
    bool hasPicture() const;
    wxSize pictureSize() const;
    // The size boxes (tests set them as a user would type).
    void SetRenderSize(int width, int height);
    wxSize renderSize() const;
    // The quality and antialiasing boxes.
    void SetChoices(int quality, bool antialias);
    RenderChoices choices() const;
    // The program run as POV-Ray: "povray" on the PATH (tests put a stand-in there).
    std::string program = "povray";
    // The window's status line.
    wxString StatusText() const;

  private:
    void OnTimer(wxTimerEvent&);
    void OnClose(wxCloseEvent&);
    void OnSave(wxCommandEvent&);
    void OnKey(wxKeyEvent&);
    void UpdateButtons();
    void SetStatus(const wxString& text);

    PovrayJob job_;
    wxTimer timer_;
    std::chrono::steady_clock::time_point started_;
    wxSpinCtrl* width_ = nullptr;
    wxSpinCtrl* height_ = nullptr;
    wxSpinCtrl* quality_ = nullptr;
    wxCheckBox* antialias_ = nullptr;
    wxButton* render_ = nullptr;
    wxButton* cancel_ = nullptr;
    wxButton* save_ = nullptr;
    wxGauge* gauge_ = nullptr;
    wxStaticText* status_ = nullptr;
    RenderPicture* picture_ = nullptr;
};

// Opens the render window (or brings it to the front) and renders the present document; a
// render under way starts again.
RenderWindow* ShowRenderWindow(wxWindow* owner);
// The open render window, or null.
RenderWindow* TheRenderWindow();
// Closes the render window, ending its render and removing its folder.
void CloseRenderWindow();
// Whether `window` belongs to the render window, which answers Esc itself.
bool InRenderWindow(wxWindow* window);

}  // namespace zarni
