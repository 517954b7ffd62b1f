// The Text dialog and the command that adds the outlines it sets as a new object.
#include "ui/text_dialog.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "formats/text_outline.h"
#include "ui/app_state.h"
#include "ui/dialog_parts.h"
#include "ui/palette_strip.h"
#include "ui/ui_font.h"
#include "ui/views.h"

namespace zarni {

std::string TextSizeShown(int32_t thousandths) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", thousandths / 1000.0);
    std::string shown = text;
    while (shown.back() == '0')
        shown.pop_back();
    if (shown.back() == '.') shown.pop_back();
    return shown;
}

TextDialog::TextDialog(wxWindow* parent, const std::string& settingsPath)
    : wxDialog(parent, wxID_ANY, "Text", wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE,
               "TEXT_DIALOG"),
      path_(settingsPath) {
    SetFont(UiFont());
    const DialogMetrics m = MetricsOf(this);
    const TextChoices loaded = LoadTextChoices(settingsPath);

    text_ = new wxTextCtrl(this, kTextEditId, wxString::FromUTF8(loaded.text), wxDefaultPosition,
                           wxSize(ConvertDialogToPixels(wxSize(140, 0)).x, -1));
    font_ = new wxChoice(this, kTextFontId);
    std::vector<std::string> families = InstalledFontFamilies();
    // A remembered font that is gone, or a desktop without fontconfig's list, still offers the
    // program's own face.
    if (std::find(families.begin(), families.end(), kDefaultOutlineFont) == families.end())
        families.insert(families.begin(), kDefaultOutlineFont);
    for (const std::string& family : families)
        font_->Append(wxString::FromUTF8(family));
    int chosen = font_->FindString(wxString::FromUTF8(loaded.font), true);
    if (chosen == wxNOT_FOUND) chosen = font_->FindString(kDefaultOutlineFont, true);
    font_->SetSelection(chosen);
    size_ =
        new wxTextCtrl(this, kTextSizeId, TextSizeShown(loaded.sizeThousandths), wxDefaultPosition,
                       wxSize(ConvertDialogToPixels(wxSize(40, 0)).x, -1), wxTE_RIGHT);

    auto* grid = new wxFlexGridSizer(2, m.rowGap, m.columnGap * 2);
    grid->AddGrowableCol(1);
    grid->Add(new wxStaticText(this, wxID_ANY, UiText("文字")), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(text_, 1, wxEXPAND);
    grid->Add(new wxStaticText(this, wxID_ANY, UiText("フォント")), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(font_, 1, wxEXPAND);
    grid->Add(new wxStaticText(this, wxID_ANY, UiText("大きさ")), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(size_, 0);

    wxButton* ok = FinishDialogLayout(this, grid, m);
    ok->Bind(wxEVT_BUTTON, &TextDialog::OnOk, this);
}

TextChoices TextDialog::Choices() const {
    TextChoices choices;
    choices.text = text_->GetValue().utf8_string();
    choices.font = font_->GetStringSelection().utf8_string();
    double size = 0;
    if (ParseImportSize(size_->GetValue().utf8_string(), &size)) {
        const double thousandths = std::round(size * 1000.0);
        choices.sizeThousandths = static_cast<int32_t>(
            std::clamp(thousandths, double{kMinTextSize}, double{kMaxTextSize}));
    } else {
        choices.sizeThousandths = 0;
    }
    return choices;
}

bool TextDialog::MakeOutlines(std::string* why) {
    const TextChoices choices = Choices();
    if (choices.sizeThousandths <= 0) {
        *why = "大きさには0より大きい数を入れてください。";
        return false;
    }
    CurveSet curves;
    if (!ImportTextOutlines(choices.text, choices.font, choices.sizeThousandths / 1000.0, curves,
                            why)) {
        *why = "文字の輪郭を作れませんでした。\n" + *why;
        return false;
    }
    curves_ = std::move(curves);
    made_ = true;
    settingsStored_ = SaveTextChoices(choices, path_);
    return true;
}

void TextDialog::OnOk(wxCommandEvent&) {
    // What cannot be set is said here, and the dialog stays open for another try.
    std::string why;
    if (!MakeOutlines(&why)) {
        wxMessageDialog message(this, wxString::FromUTF8(why), "Text", wxOK | wxICON_EXCLAMATION);
        message.ShowModal();
        return;
    }
    EndModal(wxID_OK);
}

bool AddTextWithDialog(wxWindow* parent) {
    AppState& app = App();
    wxWindow* owner = parent != nullptr ? parent : wxTheApp->GetTopWindow();
    TextDialog dialog(owner, app.settingsPath);
    if (dialog.ShowModal() != wxID_OK) return false;
    std::string why;
    // A dialog closed with OK by other means than its button has not set the text yet.
    if (!dialog.made() && !dialog.MakeOutlines(&why)) {
        wxMessageDialog message(owner, wxString::FromUTF8(why), "Text", wxOK | wxICON_EXCLAMATION);
        message.ShowModal();
        return false;
    }
    AddCurvesObject(app.doc, app.sw, dialog.curves());
    RedrawAllViews();
    RedrawPalette();
    if (!dialog.settingsStored()) {
        wxMessageDialog message(
            owner, UiText("設定を保存できませんでした\n") + wxString::FromUTF8(app.settingsPath),
            "Text", wxOK | wxICON_EXCLAMATION);
        message.ShowModal();
    }
    return true;
}

}  // namespace zarni
