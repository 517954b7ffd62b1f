// The version dialog ("Version_Dialog"): control 280 shows the caption.
#include "ui/version_dialog.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "resources/ids.h"
#include "ui/app_state.h"
#include "ui/ui_font.h"

namespace zarni {

int ShowVersionDialog(wxWindow* owner) {
    wxDialog dialog(owner, wxID_ANY, wxString::FromUTF8("バージョン情報"), wxDefaultPosition,
                    wxDefaultSize, wxDEFAULT_DIALOG_STYLE, "Version_Dialog");
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* text = new wxStaticText(&dialog, kVersionTextId, wxString::FromUTF8(App().mainCaption));
    text->SetFont(UiFont());
    sizer->Add(text, 0, wxALL | wxALIGN_CENTER, dialog.FromDIP(16));
    auto* ok = new wxButton(&dialog, wxID_OK, "OK");
    ok->SetDefault();
    sizer->Add(ok, 0, wxLEFT | wxRIGHT | wxBOTTOM | wxALIGN_CENTER, dialog.FromDIP(12));
    dialog.SetSizerAndFit(sizer);
    dialog.CentreOnParent();
    return dialog.ShowModal() == wxID_OK ? 1 : 2;
}

}  // namespace zarni
