// Entry point of the GUI program.
#include "shell/app.h"

wxIMPLEMENT_APP(zarni::ZarniApp);
