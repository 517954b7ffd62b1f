// The user-interface font.
#include "ui/ui_font.h"

#include <wx/fontenum.h>
#include <wx/settings.h>

namespace zarni {

namespace {
wxFont& FontSlot() {
    static wxFont font;
    return font;
}
}  // namespace

void CreateUiFont() {
    wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    // The menu font of the original desktop was 9 points; the IPA face matches its metrics.
    if (wxFontEnumerator::IsValidFacename("IPAPGothic")) {
        font = wxFont(wxFontInfo(9).FaceName("IPAPGothic"));
    }
    FontSlot() = font;
}

const wxFont& UiFont() {
    if (!FontSlot().IsOk()) CreateUiFont();
    return FontSlot();
}

}  // namespace zarni
