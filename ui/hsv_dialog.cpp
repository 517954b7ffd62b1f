// The colour dialog: the picture with its markers, the H, S and V fields, the side panel of
// named colours and hue helpers, and the two settings it keeps.
#include "rules/file_names.h"
#include "ui/hsv_dialog.h"

#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/msgdlg.h>
#include <wx/spinctrl.h>

#include <algorithm>

#include "platform/profile.h"
#include "rules/shape_settings.h"
#include "ui/app_state.h"
#include "ui/hsv_dialog_window.h"
#include "ui/ui_font.h"

namespace zarni {

namespace {

wxString Text(const char* utf8) {
    return wxString::FromUTF8(utf8);
}

// The dialog places its controls on a fixed pixel grid of 18- and 24-pixel rows; the desktop
// theme's padding would make them overlap, so it is taken away for these controls only.
void MakeCompact(wxWindow* window) {
    static GtkCssProvider* provider = [] {
        GtkCssProvider* p = gtk_css_provider_new();
        gtk_css_provider_load_from_data(
            p,
            "* { min-height: 0; min-width: 0; padding-top: 0; padding-bottom: 0; margin: 0; }"
            "entry { padding-left: 2px; padding-right: 2px; }"
            "button { padding-left: 2px; padding-right: 2px; }"
            "spinbutton button { padding-left: 0; padding-right: 0; }",
            -1, nullptr);
        return p;
    }();
    struct Walk {
        static void Apply(GtkWidget* widget, gpointer data) {
            gtk_style_context_add_provider(gtk_widget_get_style_context(widget),
                                           GTK_STYLE_PROVIDER(data),
                                           GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
            gtk_widget_reset_style(widget);
            if (GTK_IS_CONTAINER(widget)) {
                gtk_container_forall(GTK_CONTAINER(widget), &Walk::Apply, data);
            }
        }
    };
    if (GtkWidget* widget = window->GetHandle()) Walk::Apply(widget, provider);
}

// Moves a control to its place, at its pixel size or the toolkit's smallest, whichever is
// larger, and says where its right and bottom edges ended up. The drop-down list keeps the
// theme's padding: squeezed, its arrow no longer shows.
void Place(wxWindow* control, const wxRect& at, wxPoint& farthest, bool compact = true) {
    wxSize size = at.GetSize();
    if (GtkWidget* widget = control->GetHandle()) {
        if (compact) MakeCompact(control);
        // The request made at creation was the uncompacted size.
        gtk_widget_set_size_request(widget, -1, -1);
        GtkRequisition minimum;
        gtk_widget_get_preferred_size(widget, &minimum, nullptr);
        size.IncTo(wxSize(minimum.width, minimum.height));
    } else {
        size.IncTo(control->GetBestSize());
    }
    control->SetSize(wxRect(at.GetPosition(), size));
    farthest.x = std::max(farthest.x, at.x + size.x);
    farthest.y = std::max(farthest.y, at.y + size.y);
}

uint32_t FieldNumber(const wxSpinCtrl* field) {
    return DialogUnsigned(field->GetTextValue().utf8_string());
}

uint32_t ColourOf(const wxColour& c) {
    return ColourValue(c.Red(), c.Green(), c.Blue());
}

}  // namespace

HsvDialog::HsvDialog(wxWindow* parent, uint32_t colour, const std::string& settingsPath)
    : wxDialog(parent, wxID_ANY, "HSVDialog", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE, "HSV_DIALOG"),
      path_(settingsPath),
      state_(HsvState::FromColourValue(colour)) {
    SetFont(UiFont());
    int32_t div = kDefaultHueDiv;
    if (!path_.empty()) {
        expanded_ = GetProfileInt(kHsvSection, kHsvExpandKey, 0, path_) != 0;
        div = ClampHueDiv(GetProfileInt(kHsvSection, kHsvDivKey, kDefaultHueDiv, path_));
    }

    auto* ok = new wxButton(this, wxID_OK, "OK");
    auto* cancel = new wxButton(this, wxID_CANCEL, "Cancel");
    ok->SetDefault();
    // The fields read what is typed on every change; letters never get in.
    hue_ = new wxSpinCtrl(this, kHsvHueId, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                          wxSP_ARROW_KEYS | wxSP_WRAP, 0, kHueFieldMax, state_.HueField());
    saturation_ =
        new wxSpinCtrl(this, kHsvSaturationId, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                       wxSP_ARROW_KEYS, 0, kUnitFieldMax, state_.SaturationField());
    value_ = new wxSpinCtrl(this, kHsvValueId, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                            wxSP_ARROW_KEYS, 0, kUnitFieldMax, state_.ValueField());
    auto* expand = new wxButton(this, kHsvExpandId, Text("拡張=>"));
    named_ = new wxChoice(this, kHsvNamedId);
    for (const NamedColour& c : NamedColours())
        named_->Append(c.name);
    // The box is 99 pixels wide: a long name ends in "..." there, and the list that drops
    // down shows it whole. Otherwise the longest name would widen the box and the dialog.
    if (GtkWidget* combo = named_->GetHandle(); combo && GTK_IS_CELL_LAYOUT(combo)) {
        GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(combo));
        for (GList* cell = cells; cell; cell = cell->next) {
            if (GTK_IS_CELL_RENDERER_TEXT(cell->data))
                g_object_set(cell->data, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
        }
        g_list_free(cells);
    }
    auto* grey = new wxButton(this, kHsvGreyId, Text("灰色化"));
    auto* complement = new wxButton(this, kHsvComplementId, Text("補色"));
    auto* step = new wxButton(this, kHsvStepId, Text("H+=n°"));
    div_ = new wxSpinCtrl(this, kHsvDivId, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                          wxSP_ARROW_KEYS, kHueDivMin, kHueDivMax, div);
    sidePanel_ = {named_, grey, complement, step, div_};

    wxPoint main(kHsvClientWidth, kHsvClientHeight);
    Place(ok, {280, 80, 80, 24}, main);
    Place(cancel, {280, 110, 80, 24}, main);
    Place(hue_, {305, 200, 60, 16}, main);
    Place(saturation_, {305, 220, 60, 16}, main);
    Place(value_, {305, 240, 60, 16}, main);
    Place(expand, {305, 270, 70, 18}, main);
    wxPoint side(kHsvExpandedWidth, kHsvClientHeight);
    // The box reaches 3 pixels past the panel's edge, as it was laid out; only a box the
    // toolkit cannot make 99 wide widens the dialog.
    wxPoint named = side;
    Place(named_, {384, 24, 99, 24}, named, false);
    if (named_->GetSize().x > 99) side.x = std::max(side.x, named.x);
    side.y = std::max(side.y, named.y);
    Place(grey, {384, 64, 80, 24}, side);
    Place(complement, {384, 94, 80, 24}, side);
    Place(step, {384, 124, 80, 24}, side);
    Place(div_, {410, 154, 70, 16}, side);
    collapsedWidth_ = main.x;
    expandedWidth_ = std::max(side.x, main.x + (kHsvExpandedWidth - kHsvClientWidth));
    clientHeight_ = std::max(main.y, side.y);
    FitClientArea();
    CentreOnParent();

    SetBackgroundStyle(wxBG_STYLE_PAINT);
    RenderHsvPicture(state_, picture_);
    Bind(wxEVT_PAINT, &HsvDialog::OnPaint, this);
    Bind(wxEVT_LEFT_UP, &HsvDialog::OnLeftUp, this);
    for (wxSpinCtrl* field : {hue_, saturation_, value_}) {
        field->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { FieldsChanged(); });
        field->Bind(wxEVT_SPINCTRL, [this](wxSpinEvent&) { FieldsChanged(); });
    }
    // The close box and Esc arrive as Cancel.
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Finish(wxID_OK); }, wxID_OK);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Finish(wxID_CANCEL); }, wxID_CANCEL);
    expand->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        expanded_ = !expanded_;
        FitClientArea();
    });
    named_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnNamedColour(); });
    grey->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        state_.Grey();
        Changed();
    });
    complement->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        state_.Complement();
        Changed();
    });
    step->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        state_.StepHue(FieldNumber(div_));
        Changed();
    });
}

void HsvDialog::FitClientArea() {
    SetClientSize(expanded_ ? expandedWidth_ : collapsedWidth_, clientHeight_);
    for (wxWindow* control : sidePanel_)
        control->Show(expanded_);
    Refresh(false);
}

void HsvDialog::ShowFields() {
    settingFields_ = true;
    hue_->SetValue(state_.HueField());
    saturation_->SetValue(state_.SaturationField());
    value_->SetValue(state_.ValueField());
    settingFields_ = false;
}

// A typed number or an up-down step: the fields are the source of truth.
void HsvDialog::FieldsChanged() {
    if (settingFields_) return;
    if (state_.TakeFields(FieldNumber(hue_), FieldNumber(saturation_), FieldNumber(value_))) {
        RenderHsvPicture(state_, picture_);
        Refresh(false);
    }
}

// After a command or a click: the fields show the new values and the colour is then the one
// the fields give, as if they had been typed.
void HsvDialog::Changed() {
    ShowFields();
    state_.SnapToFields();
    RenderHsvPicture(state_, picture_);
    Refresh(false);
}

void HsvDialog::OnNamedColour() {
    const int selection = named_->GetSelection();
    if (selection == wxNOT_FOUND) return;
    const std::string name = named_->GetString(selection).utf8_string();
    if (name.empty()) return;
    if (const NamedColour* c = FindNamedColour(name.substr(0, kNamedColourNameMax))) {
        state_.TakeColour(c->red, c->green, c->blue);
        Changed();
    }
}

void HsvDialog::OnLeftUp(wxMouseEvent& event) {
    const wxPoint at = event.GetPosition();
    if (state_.Click(at.x, at.y) != HsvClick::None) Changed();
    event.Skip();
}

void HsvDialog::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    const wxColour background = GetBackgroundColour();
    const wxSize client = GetClientSize();
    // The colour area; the side panel keeps the plain background.
    const int width = std::min(client.x, collapsedWidth_);
    const int height = client.y;
    ComposeHsvCanvas(state_, picture_, width, height, ColourOf(background), canvas_);
    wxImage image(width, height, canvas_.data(), true);
    dc.DrawBitmap(wxBitmap(image), 0, 0);
    if (client.x > width) {
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(background));
        dc.DrawRectangle(width, 0, client.x - width, client.y);
    }

    dc.SetFont(UiFont());
    dc.SetTextForeground(*wxBLACK);
    dc.SetTextBackground(wxColour(kHsvPictureGrey, kHsvPictureGrey, kHsvPictureGrey));
    dc.SetBackgroundMode(wxBRUSHSTYLE_SOLID);
    dc.DrawText(wxString::Format("R:%03d", ChannelByte(state_.red)), 290, 140);
    dc.DrawText(wxString::Format("G:%03d", ChannelByte(state_.green)), 290, 160);
    dc.DrawText(wxString::Format("B:%03d", ChannelByte(state_.blue)), 290, 180);
    dc.DrawText("H", 290, 200);
    dc.DrawText("S", 290, 220);
    dc.DrawText("V", 290, 240);
    if (expanded_) {
        dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
        dc.SetPen(*wxBLACK_PEN);
        dc.DrawLine(382, 24, 382, 270);
        dc.DrawText(Text("分割"), 385, 154);
    }
}

void HsvDialog::Finish(int result) {
    if (!path_.empty()) {
        bool ok = WriteProfileInt(kHsvSection, kHsvExpandKey, expanded_ ? 1 : 0, path_);
        ok = WriteProfileInt(kHsvSection, kHsvDivKey, ClampHueDiv(FieldNumber(div_)), path_) && ok;
        if (!ok) {
            wxMessageDialog message(
                this, Text("設定を保存できませんでした\n") + wxString::FromUTF8(MessagePath(path_)),
                "HSVDialog",
                wxOK | wxICON_EXCLAMATION);
            message.ShowModal();
        }
    }
    EndModal(result);
}

uint32_t ChooseColorHSV(wxWindow* owner, uint32_t colour) {
    HsvDialog dialog(owner, colour, App().settingsPath);
    return dialog.ShowModal() == wxID_OK ? dialog.Result() : colour;
}

}  // namespace zarni
