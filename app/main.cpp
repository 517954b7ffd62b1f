// Entry point of the GUI program.
#include "app/app.h"

wxIMPLEMENT_APP(zarni::ZarniApp);
