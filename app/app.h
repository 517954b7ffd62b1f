// The wx application object of the program.
#pragma once

#include <wx/app.h>

namespace zarni {

class ZarniApp : public wxApp {
  public:
    bool OnInit() override;
    // An exception that escaped an event handler (a view, the palette, a timer, a dialog):
    // reported through the main window's command boundary, and the program goes on.
    bool OnExceptionInMainLoop() override;
    // One that escaped start-up or the loop itself: reported on stderr before the exit.
    void OnUnhandledException() override;
};

}  // namespace zarni
