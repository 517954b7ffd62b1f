// The wx application object of the program.
#pragma once

#include <wx/app.h>

namespace zarni {

class ZarniApp : public wxApp {
  public:
    bool OnInit() override;
};

}  // namespace zarni
