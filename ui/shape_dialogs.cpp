// The extrude and lathe dialogs and the palette commands that run them before the operation.
#include "ui/shape_dialogs.h"
#include "rules/file_names.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "rules/shape_settings.h"
#include "ui/app_state.h"
#include "ui/dialog_parts.h"
#include "ui/palette_strip.h"
#include "ui/ui_font.h"
#include "ui/views.h"

namespace zarni {

namespace {

std::string Utf8(const wxString& text) {
    return text.utf8_string();
}

// The number in an edit box as the dialogs read it on OK.
uint32_t EditNumber(const wxTextCtrl* edit) {
    return DialogUnsigned(Utf8(edit->GetValue()));
}

// An edit box and its up-down side by side.
wxBoxSizer* NumberRow(wxWindow* dialog, int editId, int spinId, long editStyle, int low, int high,
                      uint32_t shown, const DialogMetrics& m, wxTextCtrl*& edit,
                      wxSpinButton*& spin) {
    const int editWidth = dialog->ConvertDialogToPixels(wxSize(36, 0)).x;
    edit = new wxTextCtrl(dialog, editId, wxEmptyString, wxDefaultPosition, wxSize(editWidth, -1),
                          editStyle);
    spin = NewUpDown(dialog, spinId, low, high);
    ShowNumber(edit, spin, shown);
    AttachUpDown(edit, spin, NumberBoxRule{});
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(edit, 0, wxALIGN_CENTER_VERTICAL);
    row->Add(spin, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, m.columnGap / 2);
    return row;
}

wxStaticText* Label(wxWindow* dialog, int id, const char* text) {
    return new wxStaticText(dialog, id, UiText(text));
}

wxWindow* DialogOwner(wxWindow* parent) {
    return parent != nullptr ? parent : wxTheApp->GetTopWindow();
}

// The values were used but not remembered; say so rather than losing them without a word.
void ReportUnsavedSettings(wxWindow* owner, const char* caption) {
    wxMessageDialog message(owner,
                            UiText("設定を保存できませんでした\n") +
                                wxString::FromUTF8(MessagePath(App().settingsPath)),
                            UiText(caption), wxOK | wxICON_EXCLAMATION);
    message.ShowModal();
}

}  // namespace

ExtrudeDialog::ExtrudeDialog(wxWindow* parent, const std::string& settingsPath)
    : wxDialog(parent, wxID_ANY, "ExtrudeSetting", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE, "EXTRUDE_DIALOG"),
      path_(settingsPath),
      loaded_(LoadExtrudeSettings(settingsPath)) {
    SetFont(UiFont());
    const DialogMetrics m = MetricsOf(this);

    minus_ = new wxCheckBox(this, kExtrudeMinusId, "Minus");
    minus_->SetValue(loaded_.minus);
    wxStaticText* axisLabel = Label(this, kShapeAxisLabelId, "Axis:");
    wxBoxSizer* axisRow = AxisButtons(this, kShapeAxisXId, axis_, loaded_.axis, m.columnGap * 2);
    wxStaticText* lengthLabel = Label(this, kShapeValueLabelId, "Length");
    wxBoxSizer* lengthRow =
        NumberRow(this, kExtrudeLengthId, kExtrudeLengthSpinId, wxTE_RIGHT, kExtrudeLengthMin,
                  kExtrudeLengthMax, ExtrudeLengthShown(loaded_.length), m, length_, lengthSpin_);

    auto* grid = new wxFlexGridSizer(2, m.rowGap, m.columnGap * 2);
    grid->Add(axisLabel, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(axisRow, 0, wxALIGN_CENTER_VERTICAL);
    grid->AddSpacer(0);
    grid->Add(minus_, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(lengthLabel, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(lengthRow, 0, wxALIGN_CENTER_VERTICAL);
    FinishDialogLayout(this, grid, m, wxSize(120, 90));
}

bool ExtrudeDialog::StoreSettings(ExtrudeSettings& settings) {
    settings = loaded_;
    return ConfirmExtrudeSettings(settings, minus_->GetValue(), AxisButtonOn(axis_),
                                  EditNumber(length_), path_);
}

LatheDialog::LatheDialog(wxWindow* parent, const std::string& settingsPath)
    : wxDialog(parent, wxID_ANY, "LatheSetting", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE, "LATHE_DIALOG"),
      path_(settingsPath),
      loaded_(LoadLatheSettings(settingsPath)) {
    SetFont(UiFont());
    const DialogMetrics m = MetricsOf(this);

    wxStaticText* axisLabel = Label(this, kShapeAxisLabelId, "Axis:");
    wxBoxSizer* axisRow = AxisButtons(this, kShapeAxisXId, axis_, loaded_.axis, m.columnGap * 2);

    close_ = new wxRadioButton(this, kLatheCloseId, "Close", wxDefaultPosition, wxDefaultSize,
                               wxRB_GROUP);
    parts_ = new wxRadioButton(this, kLathePartsId, "Parts");
    auto* noType = new wxRadioButton(this, wxID_ANY, wxEmptyString);
    noType->Hide();
    if (loaded_.type == kLatheClose) {
        close_->SetValue(true);
    } else if (loaded_.type == kLatheParts) {
        parts_->SetValue(true);
    } else {
        noType->SetValue(true);
    }

    wxStaticText* countLabel = Label(this, kShapeValueLabelId, "Count");
    wxBoxSizer* countRow =
        NumberRow(this, kLathePartsCountId, kLathePartsCountSpinId, 0, kLathePartsCountMin,
                  kLathePartsCountMax, loaded_.partsCount, m, partsCount_, partsCountSpin_);
    wxStaticText* divLabel = Label(this, kLatheDivLevelLabelId, "DivLevel");
    wxBoxSizer* divRow =
        NumberRow(this, kLatheDivLevelId, kLatheDivLevelSpinId, 0, kLatheDivLevelMin,
                  kLatheDivLevelMax, loaded_.divLevel, m, divLevel_, divLevelSpin_);

    auto* typeRow = new wxBoxSizer(wxHORIZONTAL);
    typeRow->Add(close_, 0, wxALIGN_CENTER_VERTICAL);
    typeRow->Add(parts_, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, m.columnGap * 2);

    auto* grid = new wxFlexGridSizer(2, m.rowGap, m.columnGap * 2);
    grid->Add(axisLabel, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(axisRow, 0, wxALIGN_CENTER_VERTICAL);
    grid->AddSpacer(0);
    grid->Add(typeRow, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(countLabel, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(countRow, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(divLabel, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(divRow, 0, wxALIGN_CENTER_VERTICAL);
    FinishDialogLayout(this, grid, m, wxSize(120, 130));
}

bool LatheDialog::StoreSettings(LatheSettings& settings) {
    settings = loaded_;
    int32_t typeButton = -1;
    if (close_->GetValue()) typeButton = kLatheClose;
    if (parts_->GetValue()) typeButton = kLatheParts;
    return ConfirmLatheSettings(settings, AxisButtonOn(axis_), typeButton, EditNumber(partsCount_),
                                EditNumber(divLevel_), path_);
}

bool ExtrudeSelectionWithDialog(wxWindow* parent) {
    AppState& app = App();
    if (app.doc.Current() == nullptr || app.doc.selectedAnchors.empty()) return false;
    wxWindow* owner = DialogOwner(parent);
    ExtrudeSettings settings;
    bool stored = true;
    {
        ExtrudeDialog dialog(owner, app.settingsPath);
        if (dialog.ShowModal() != wxID_OK) return false;
        stored = dialog.StoreSettings(settings);
    }
    // The sweep ends with RebuildControlCaches and DocumentChanged itself.
    ExtrudeSelection(app.doc, app.sw, settings);
    RedrawAllViews();
    RedrawPalette();
    if (!stored) ReportUnsavedSettings(owner, "ExtrudeSetting");
    return true;
}

bool LatheSelectionWithDialog(wxWindow* parent) {
    AppState& app = App();
    if (app.doc.Current() == nullptr || app.doc.selectedAnchors.empty()) return false;
    wxWindow* owner = DialogOwner(parent);
    LatheSettings settings;
    bool stored = true;
    {
        LatheDialog dialog(owner, app.settingsPath);
        if (dialog.ShowModal() != wxID_OK) return false;
        stored = dialog.StoreSettings(settings);
    }
    {
        // A full lathe of a long profile welds for a while.
        wxBusyCursor wait;
        // Ends with RebuildControlCaches and DocumentChanged itself.
        LatheSelection(app.doc, app.sw, settings);
    }
    RedrawAllViews();
    RedrawPalette();
    if (!stored) ReportUnsavedSettings(owner, "LatheSetting");
    return true;
}

}  // namespace zarni
