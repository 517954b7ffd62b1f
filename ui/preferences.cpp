// The preferences sheet and its three pages: what each page shows, what acts at once (picture
// slots and ratio) and what OK applies.
#include "ui/preferences.h"

#include <gtk/gtk.h>
#include <wx/bookctrl.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcclient.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ui/dialog_parts.h"
#include "ui/hsv_dialog.h"
#include "ui/picture_dialog.h"
#include "ui/app_state.h"
#include "ui/back_pictures.h"
#include "rules/file_names.h"
#include "rules/shape_settings.h"
#include "ui/palette_strip.h"
#include "ui/ui_font.h"
#include "ui/views.h"

namespace zarni {

// A filled rectangle in one of the view page's working colours.
class ColorSwatch : public wxWindow {
  public:
    ColorSwatch(wxWindow* parent, uint32_t color)
        : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(67, 18)), color_(color) {
        SetMinSize(wxSize(67, 18));
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
            wxPaintDC dc(this);
            dc.SetPen(*wxBLACK_PEN);
            dc.SetBrush(
                wxBrush(wxColour(color_ & 0xFF, (color_ >> 8) & 0xFF, (color_ >> 16) & 0xFF)));
            dc.DrawRectangle(wxRect(GetClientSize()));
        });
    }
    void SetColor(uint32_t color) {
        color_ = color;
        Refresh();
    }

  private:
    uint32_t color_;
};

namespace {

constexpr int kSlotCount = kBackSlotCount;
const char* const kSlotNames[kSlotCount] = {"Front", "Back", "Left", "Right", "Top", "Bottom"};

uint32_t BoxNumber(const wxTextCtrl* edit) {
    return DialogUnsigned(edit->GetValue().utf8_string());
}

// A number box and its wrapping up-down, side by side.
wxBoxSizer* NumberRow(wxWindow* parent, int editId, int spinId, int low, int high, uint32_t shown,
                      unsigned digits, wxTextCtrl*& edit, std::function<void()> changed = {}) {
    edit = new wxTextCtrl(parent, editId, wxEmptyString, wxDefaultPosition,
                          parent->ConvertDialogToPixels(wxSize(36, -1)), wxTE_RIGHT);
    wxSpinButton* spin = NewUpDown(parent, spinId, low, high);
    ShowNumber(edit, spin, shown);
    AttachUpDown(edit, spin, NumberBoxRule{false, digits}, std::move(changed));
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(edit, 0, wxALIGN_CENTER_VERTICAL);
    row->Add(spin, 0, wxALIGN_CENTER_VERTICAL);
    return row;
}

// A long path keeps its end (the file name) in sight on a button of fixed width; the button's
// text stays the whole path.
void EllipsizeLabel(wxButton* button) {
    GtkWidget* widget = static_cast<GtkWidget*>(button->GetHandle());
    if (widget == nullptr || !GTK_IS_BIN(widget)) return;
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(widget));
    if (child != nullptr && GTK_IS_LABEL(child))
        gtk_label_set_ellipsize(GTK_LABEL(child), PANGO_ELLIPSIZE_START);
}

void Report(wxWindow* owner, const wxString& text, const char* caption) {
    wxMessageDialog message(owner, text, UiText(caption), wxOK | wxICON_EXCLAMATION);
    message.ShowModal();
}

}  // namespace

PreferenceSheet::PreferenceSheet(wxWindow* parent) {
    Create(parent, wxID_ANY, "Preference", wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE,
           "Preference");
    SetFont(UiFont());
    pages_[kPrefViewPage] = BuildViewPage();
    pages_[kPrefBackPicturePage] = BuildBackPicturePage();
    pages_[kPrefControlPage] = BuildControlPage();
    GetBookCtrl()->AddPage(pages_[kPrefViewPage], "Property", true);
    GetBookCtrl()->AddPage(pages_[kPrefBackPicturePage], "BackPicture");
    GetBookCtrl()->AddPage(pages_[kPrefControlPage], "Control");
    GetBookCtrl()->Bind(wxEVT_BOOKCTRL_PAGE_CHANGED, [this](wxBookCtrlEvent& event) {
        const int page = event.GetSelection();
        if (page >= 0 && page < kPreferencePageCount) shown_[page] = true;
        event.Skip();
    });
    CreateButtons(wxOK | wxCANCEL);
    LayoutDialog();
}

wxPanel* PreferenceSheet::BuildViewPage() {
    const Settings& settings = App().settings;
    const ViewPageValues values = ViewPageFrom(settings);
    colors_ = values.colors;
    auto* page = new wxPanel(GetBookCtrl(), wxID_ANY, wxDefaultPosition, wxDefaultSize,
                             wxTAB_TRAVERSAL, "Preference_View_Dialog");
    page->SetFont(UiFont());
    const DialogMetrics m = MetricsOf(page);

    auto* colorBox =
        new wxStaticBoxSizer(new wxStaticBox(page, kPrefColorGroupId, "Color"), wxVERTICAL);
    wxWindow* colorParent = colorBox->GetStaticBox();
    static const char* const kColorNames[kPreferenceColorCount] = {"Back", "Wire", "Handle",
                                                                   "OtherObject"};
    auto* colorGrid = new wxFlexGridSizer(4, m.rowGap, m.columnGap);
    // Back and Wire on the left, Handle and OtherObject on the right.
    for (int i : {kPrefBack, kPrefHandle, kPrefWire, kPrefOtherObject}) {
        swatches_[i] = new ColorSwatch(colorParent, colors_[i]);
        auto* button = new wxButton(colorParent, kPrefBackColorId + i, kColorNames[i]);
        button->Bind(wxEVT_BUTTON, [this, i](wxCommandEvent&) { ChooseColor(i); });
        const bool left = i == kPrefBack || i == kPrefWire;
        colorGrid->Add(swatches_[i], 0, wxALIGN_CENTER_VERTICAL);
        colorGrid->Add(button, 0, wxALIGN_CENTER_VERTICAL | wxEXPAND | (left ? wxRIGHT : 0),
                       m.columnGap * 2);
    }
    colorBox->Add(colorGrid, 0, wxALL, m.rowGap);

    auto* cameraBox =
        new wxStaticBoxSizer(new wxStaticBox(page, kPrefCameraGroupId, "Camera/Axes"), wxVERTICAL);
    wxWindow* cameraParent = cameraBox->GetStaticBox();
    auto* cameraGrid = new wxFlexGridSizer(2, m.rowGap, m.columnGap * 2);
    auto addRow = [&](wxBoxSizer* row, int labelId, const char* label) {
        cameraGrid->Add(row, 0, wxALIGN_CENTER_VERTICAL);
        cameraGrid->Add(new wxStaticText(cameraParent, labelId, label), 0, wxALIGN_CENTER_VERTICAL);
    };
    addRow(NumberRow(cameraParent, kPrefAltitudeId, kPrefAltitudeSpinId, 1, 179,
                     values.altitudeTenths, kPreferenceNumberDigits, altitude_),
           kPrefAltitudeLabelId, "Camera_Altitude(Default)(x 1/10)");
    addRow(NumberRow(cameraParent, kPrefFovyId, kPrefFovySpinId, 1, 179, values.fovy,
                     kPreferenceNumberDigits, fovy_),
           kPrefFovyLabelId, "Camera_Fovy");
    addRow(NumberRow(cameraParent, kPrefAxesSizeId, kPrefAxesSizeSpinId, 0, 50,
                     values.axesSizeTenths, kPreferenceNumberDigits, axesSize_),
           kPrefAxesSizeLabelId, "Axes Size(x 1/10)");
    cameraBox->Add(cameraGrid, 0, wxALL, m.rowGap);

    synchronize_ = new wxCheckBox(page, kPrefSynchronizeId, "Synchronize View");
    synchronize_->SetValue(values.synchronize);

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(colorBox, 0, wxEXPAND | wxALL, m.margin);
    top->Add(cameraBox, 0, wxEXPAND | wxLEFT | wxRIGHT, m.margin);
    top->Add(synchronize_, 0, wxALL, m.margin);
    page->SetSizer(top);
    return page;
}

wxPanel* PreferenceSheet::BuildBackPicturePage() {
    const AppState& app = App();
    auto* page = new wxPanel(GetBookCtrl(), wxID_ANY, wxDefaultPosition, wxDefaultSize,
                             wxTAB_TRAVERSAL, "Preference_BackPicture_Dialog");
    page->SetFont(UiFont());
    const DialogMetrics m = MetricsOf(page);

    auto* box =
        new wxStaticBoxSizer(new wxStaticBox(page, kPrefPictureGroupId, "BackPicture"), wxVERTICAL);
    wxWindow* parent = box->GetStaticBox();
    auto* grid = new wxFlexGridSizer(3, m.rowGap, m.columnGap * 2);
    grid->AddGrowableCol(1);
    const int browseWidth = page->ConvertDialogToPixels(wxSize(150, 0)).x;
    for (int k = 0; k < kSlotCount; ++k) {
        grid->Add(new wxStaticText(parent, kPrefSlotLabelId + k, kSlotNames[k]), 0,
                  wxALIGN_CENTER_VERTICAL);
        browse_[k] = new wxButton(parent, kPrefBrowseId + 2 * k, "Browse");
        browse_[k]->SetMinSize(wxSize(browseWidth, -1));
        browse_[k]->Bind(wxEVT_BUTTON, [this, k](wxCommandEvent&) { Browse(k); });
        ShowSlotName(k);
        grid->Add(browse_[k], 1, wxEXPAND | wxALIGN_CENTER_VERTICAL);
        auto* clear = new wxButton(parent, kPrefClearId + 2 * k, "Clear");
        clear->Bind(wxEVT_BUTTON, [this, k](wxCommandEvent&) { Clear(k); });
        grid->Add(clear, 0, wxALIGN_CENTER_VERTICAL);
    }
    box->Add(grid, 1, wxEXPAND | wxALL, m.rowGap);

    auto* ratioRow = new wxBoxSizer(wxHORIZONTAL);
    ratioRow->Add(NumberRow(page, kPrefRatioId, kPrefRatioSpinId, 32, 1000,
                            static_cast<uint32_t>(app.doc.pictureRatio), NumberBoxRule{}.maxDigits,
                            ratio_, [this] { RatioTyped(); }),
                  0, wxALIGN_CENTER_VERTICAL);
    ratioRow->Add(new wxStaticText(page, kPrefRatioLabelId, "Raito"), 0,
                  wxALIGN_CENTER_VERTICAL | wxLEFT, m.columnGap * 2);
    visible_ = new wxCheckBox(page, kPrefVisibleId, "Visible");
    visible_->SetValue(BackPicturePageFrom(app.sw).visible);
    ratioRow->AddStretchSpacer();
    ratioRow->Add(visible_, 0, wxALIGN_CENTER_VERTICAL);

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(box, 0, wxEXPAND | wxALL, m.margin);
    top->Add(ratioRow, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, m.margin);
    page->SetSizer(top);
    return page;
}

wxPanel* PreferenceSheet::BuildControlPage() {
    const ControlPageValues values = ControlPageFrom(App().settings.controlFlags);
    auto* page = new wxPanel(GetBookCtrl(), wxID_ANY, wxDefaultPosition, wxDefaultSize,
                             wxTAB_TRAVERSAL, "Preference_Control_Dialog");
    page->SetFont(UiFont());
    const DialogMetrics m = MetricsOf(page);
    buttonHandle_ = new wxCheckBox(page, kPrefButtonHandleId, "Right/Middle Button Control Handle");
    minimumDrawing_ = new wxCheckBox(page, kPrefMinimumDrawingId, "Minimum Drawing");
    show3DPos_ = new wxCheckBox(page, kPrefShow3DPosId, "Show 3D Pos");
    buttonHandle_->SetValue(values.buttonHandle);
    minimumDrawing_->SetValue(values.minimumDrawing);
    show3DPos_->SetValue(values.show3DPos);
    adaptiveDetail_ = new wxCheckBox(page, wxID_ANY, "Adaptive detail while dragging",
                                     wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                     "AdaptiveDetail");
    adaptiveDetail_->SetValue(values.adaptiveDetail);
    auto* top = new wxBoxSizer(wxVERTICAL);
    for (wxCheckBox* box : {buttonHandle_, minimumDrawing_, show3DPos_, adaptiveDetail_})
        top->Add(box, 0, wxLEFT | wxRIGHT | wxTOP, m.margin);
    page->SetSizer(top);
    return page;
}

void PreferenceSheet::ChooseColor(int i) {
    colors_[i] = ChooseColorHSV(pages_[kPrefViewPage], colors_[i]);
    swatches_[i]->SetColor(colors_[i]);
}

void PreferenceSheet::ShowSlotName(int slot) {
    const std::string& name = App().doc.backPictures[slot].fileName;
    browse_[slot]->SetLabelText(name.empty() ? wxString("Browse") : wxString::FromUTF8(name));
    browse_[slot]->SetToolTip(name.empty() ? wxString() : wxString::FromUTF8(name));
    EllipsizeLabel(browse_[slot]);
}

void PreferenceSheet::Browse(int slot) {
    const std::optional<std::string> path = ChooseBackPicture(this);
    if (!path) return;
    AppState& app = App();
    std::string why;
    const bool loaded = LoadBackPicture(app.doc, slot, *path, &why);
    ShowSlotName(slot);
    // Slots are document data and change at once: the document must be saved to keep them.
    if (loaded || app.doc.backPictures[slot].fileName == *path) DocumentChanged(app.doc, app.sw);
    RedrawPalette();
    RedrawAllViews();
    if (!loaded) {
        Report(this,
               UiText("画像を読み込めませんでした。\n") + wxString::FromUTF8(MessagePath(*path)) +
                   "\n" +
                   wxString::FromUTF8(why),
               "BackPicture");
    }
}

void PreferenceSheet::Clear(int slot) {
    AppState& app = App();
    const bool had = !app.doc.backPictures[slot].fileName.empty();
    ClearBackPictureSlot(app.doc, slot);
    ShowSlotName(slot);
    if (had) DocumentChanged(app.doc, app.sw);
    RedrawPalette();
    RedrawAllViews();
}

void PreferenceSheet::RatioTyped() {
    AppState& app = App();
    const int32_t ratio = HeldPictureRatio(BoxNumber(ratio_));
    if (ratio == app.doc.pictureRatio) return;
    app.doc.pictureRatio = ratio;
    DocumentChanged(app.doc, app.sw);
    RedrawAllViews();
}

PreferencePages PreferenceSheet::ShownPages() const {
    PreferencePages pages;
    if (shown_[kPrefViewPage]) {
        ViewPageValues v;
        v.colors = colors_;
        v.altitudeTenths = BoxNumber(altitude_);
        v.fovy = BoxNumber(fovy_);
        v.axesSizeTenths = BoxNumber(axesSize_);
        v.synchronize = synchronize_->GetValue();
        pages.view = v;
    }
    if (shown_[kPrefBackPicturePage])
        pages.backPicture = BackPicturePageValues{visible_->GetValue()};
    if (shown_[kPrefControlPage]) {
        pages.control = ControlPageValues{buttonHandle_->GetValue(), minimumDrawing_->GetValue(),
                                          show3DPos_->GetValue(), adaptiveDetail_->GetValue()};
    }
    return pages;
}

void ShowPreferences(wxWindow* owner) {
    AppState& app = App();
    PreferenceOutcome outcome;
    {
        PreferenceSheet sheet(owner);
        if (sheet.ShowModal() != wxID_OK) return;
        outcome = ApplyPreferences(
            sheet.ShownPages(), PreferenceTargets{app.settings, app.sw, app.doc, app.cameras.fovy},
            app.settingsPath);
    }
    if (outcome.documentChanged) RedrawPalette();
    if (!outcome.written) {
        Report(owner,
               UiText("設定を保存できませんでした\n") +
                   wxString::FromUTF8(MessagePath(app.settingsPath)),
               "Preference");
    }
}

}  // namespace zarni
