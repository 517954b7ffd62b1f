// The Text dialog (Edit > Model > Text...): a line of text, an installed font and a size, whose
// outlines become a new object of curve segments.
#pragma once

#include <wx/dialog.h>

#include <string>

#include "formats/curve_import.h"
#include "formats/settings_file.h"

class wxChoice;
class wxTextCtrl;

namespace zarni {

// Control ids; OK and Cancel are wxID_OK and wxID_CANCEL.
enum TextDialogId : int {
    kTextEditId = 290,  // the text
    kTextFontId = 291,  // the font family, from the installed fonts
    kTextSizeId = 292,  // the size in units
};

// The size box's text for a size in thousandths: "2", "0.5", "1.25".
std::string TextSizeShown(int32_t thousandths);

class TextDialog : public wxDialog {
  public:
    // Opens with the choices last confirmed, read from the settings file at `settingsPath`.
    TextDialog(wxWindow* parent, const std::string& settingsPath);

    // Sets the text's outlines in the font and size chosen and, when that worked, stores the
    // choices. False with the reason when the size is not a number above zero or the text
    // cannot be set (an empty text, blanks only, a character the font lacks); `settingsStored`
    // tells whether the settings file could be written.
    bool MakeOutlines(std::string* why);

    bool made() const { return made_; }
    bool settingsStored() const { return settingsStored_; }
    const CurveSet& curves() const { return curves_; }
    TextChoices Choices() const;

  private:
    void OnOk(wxCommandEvent& event);

    std::string path_;
    wxTextCtrl* text_ = nullptr;
    wxChoice* font_ = nullptr;
    wxTextCtrl* size_ = nullptr;
    CurveSet curves_;
    bool made_ = false;
    bool settingsStored_ = true;
};

// Edit > Model > Text...: the dialog over `parent` and, on OK, a new object holding the text's
// outlines, current with its anchors selected. True when the document changed.
bool AddTextWithDialog(wxWindow* parent);

}  // namespace zarni
