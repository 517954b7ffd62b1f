// The symmetry dialog: mirror, windmill and move settings of the current object, each written
// into the object the moment its control changes, and Unfold.
#include "ui/symmetry_dialog.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "ops/unfold.h"
#include "ui/dialog_parts.h"
#include "ui/symmetry_dialog_window.h"
#include "ui/app_state.h"
#include "rules/shape_settings.h"
#include "ui/palette_strip.h"
#include "ui/ui_font.h"
#include "ui/views.h"

namespace zarni {

namespace {

constexpr int32_t kMirrorBits[3] = {kMirrorX, kMirrorY, kMirrorZ};

// The settings Unfold leaves behind; anything else after it means it refused.
bool SettingsReset(const PatchObject& obj) {
    return obj.mirrorFlags == 0 && obj.windmillCount == 1 && obj.windmillAxis == 1 &&
           obj.moveX == 0 && obj.moveY == 0 && obj.moveZ == 0;
}

int32_t& Offset(PatchObject& obj, int index) {
    return index == 0 ? obj.moveX : index == 1 ? obj.moveY : obj.moveZ;
}

}  // namespace

SymmetryDialog::SymmetryDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "MirrorSetting", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE, "MIRROR_DIALOG") {
    SetFont(UiFont());
    const DialogMetrics m = MetricsOf(this);
    const int wide = m.columnGap * 2;
    const PatchObject* obj = App().doc.Current();

    static const char* const kAxisNames[3] = {"X", "Y", "Z"};
    auto* mirrorRow = new wxBoxSizer(wxHORIZONTAL);
    for (int i = 0; i < 3; ++i) {
        mirror_[i] = new wxCheckBox(this, kMirrorXId + i, kAxisNames[i]);
        mirrorRow->Add(mirror_[i], 0, wxALIGN_CENTER_VERTICAL | (i > 0 ? wxLEFT : 0), wide);
    }
    wxBoxSizer* axisRow =
        AxisButtons(this, kWindmillXId, axis_, obj ? obj->windmillAxis : 1, wide, &noAxis_);

    count_ = new wxTextCtrl(this, kWindmillCountId, wxEmptyString, wxDefaultPosition,
                            ConvertDialogToPixels(wxSize(32, -1)), wxTE_RIGHT);
    countSpin_ = NewUpDown(this, kWindmillCountSpinId, kWindmillCountMin, kWindmillCountMax);
    auto* countRow = new wxBoxSizer(wxHORIZONTAL);
    countRow->AddSpacer(ConvertDialogToPixels(wxSize(20, 0)).x);
    countRow->Add(count_, 0, wxALIGN_CENTER_VERTICAL);
    countRow->Add(countSpin_, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, m.columnGap / 2);

    auto* top = new wxFlexGridSizer(2, m.rowGap, wide);
    top->Add(mirrorRow, 0, wxALIGN_CENTER_VERTICAL);
    top->Add(new wxStaticText(this, kSymmetryLabelId, ":Mirror"), 0, wxALIGN_CENTER_VERTICAL);
    top->Add(axisRow, 0, wxALIGN_CENTER_VERTICAL);
    top->Add(new wxStaticText(this, kSymmetryLabelId, ":WindMill"), 0, wxALIGN_CENTER_VERTICAL);
    top->Add(countRow, 0, wxALIGN_CENTER_VERTICAL);
    top->AddSpacer(0);

    move_ = new wxCheckBox(this, kMoveId, "Move");
    static const char* const kOffsetLabels[3] = {"X(/1000)", "Y(/1000)", "Z(/1000)"};
    auto* moveGrid = new wxFlexGridSizer(4, m.rowGap, m.columnGap / 2);
    for (int i = 0; i < 3; ++i) {
        offset_[i] = new wxTextCtrl(this, kMoveXId + 2 * i, wxEmptyString, wxDefaultPosition,
                                    ConvertDialogToPixels(wxSize(44, -1)), wxTE_RIGHT);
        offsetSpin_[i] = NewUpDown(this, kMoveXSpinId + 2 * i, kMoveOffsetMin, kMoveOffsetMax);
        if (i == 0) {
            moveGrid->Add(move_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, wide);
        } else {
            moveGrid->AddSpacer(0);
        }
        moveGrid->Add(offset_[i], 0, wxALIGN_CENTER_VERTICAL);
        moveGrid->Add(offsetSpin_[i], 0, wxALIGN_CENTER_VERTICAL);
        moveGrid->Add(new wxStaticText(this, kMoveXLabelId + i, kOffsetLabels[i]), 0,
                      wxALIGN_CENTER_VERTICAL | wxLEFT, m.columnGap);
    }

    auto* unfold = new wxButton(this, kUnfoldId, "Unfold");
    auto* ok = new wxButton(this, kSymmetryOkId, "OK");
    ok->SetDefault();
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(unfold);
    buttons->Add(ok, 0, wxLEFT, wide * 2);

    auto* all = new wxBoxSizer(wxVERTICAL);
    all->Add(top, 0, wxLEFT | wxRIGHT | wxTOP, m.margin);
    all->Add(moveGrid, 0, wxLEFT | wxRIGHT | wxTOP, m.margin);
    all->AddStretchSpacer();
    all->Add(buttons, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, m.margin);
    all->SetMinSize(ConvertDialogToPixels(wxSize(135, 140)));
    SetSizerAndFit(all);
    CentreOnParent();

    ShowSettings();

    for (int i = 0; i < 3; ++i) {
        mirror_[i]->Bind(wxEVT_CHECKBOX, [this, i](wxCommandEvent&) {
            StoreFlag(kMirrorBits[i], mirror_[i]->GetValue());
        });
        axis_[i]->Bind(wxEVT_RADIOBUTTON, [this, i](wxCommandEvent&) { StoreAxis(i + 1); });
        AttachUpDown(offset_[i], offsetSpin_[i], NumberBoxRule{true, 9},
                     [this, i] { StoreOffset(i); });
    }
    move_->Bind(wxEVT_CHECKBOX,
                [this](wxCommandEvent&) { StoreFlag(kMirrorMove, move_->GetValue()); });
    AttachUpDown(count_, countSpin_, NumberBoxRule{false, kWindmillCountDigits},
                 [this] { StoreCount(); });
    unfold->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Unfold(); });
    ok->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Finish(wxID_OK); });
    // Escape and the close box leave what was changed as it is; there is nothing to undo.
    SetEscapeId(wxID_NONE);
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        if (event.GetKeyCode() == WXK_ESCAPE && !event.HasAnyModifiers()) {
            Finish(wxID_CANCEL);
        } else {
            event.Skip();
        }
    });
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Finish(wxID_CANCEL); });

    // The boxes are read back as they are shown, as any later change reads them: a count below
    // 1 (possible only from a file) becomes 1 here.
    StoreCount();
}

void SymmetryDialog::ShowSettings() {
    const PatchObject* obj = App().doc.Current();
    if (obj == nullptr) return;
    for (int i = 0; i < 3; ++i)
        mirror_[i]->SetValue((obj->mirrorFlags & kMirrorBits[i]) != 0);
    const int32_t axis = obj->windmillAxis;
    if (axis >= 1 && axis <= 3) {
        axis_[axis - 1]->SetValue(true);
    } else {
        noAxis_->SetValue(true);
    }
    ShowNumber(count_, countSpin_, std::max<int32_t>(obj->windmillCount, 1));
    move_->SetValue((obj->mirrorFlags & kMirrorMove) != 0);
    ShowNumber(offset_[0], offsetSpin_[0], obj->moveX);
    ShowNumber(offset_[1], offsetSpin_[1], obj->moveY);
    ShowNumber(offset_[2], offsetSpin_[2], obj->moveZ);
}

void SymmetryDialog::StoreFlag(int32_t bit, bool on) {
    PatchObject* obj = App().doc.Current();
    if (obj == nullptr) return;
    const int32_t before = obj->mirrorFlags;
    obj->mirrorFlags = on ? before | bit : before & ~bit;
    Stored(obj->mirrorFlags != before);
}

void SymmetryDialog::StoreAxis(int32_t axis) {
    PatchObject* obj = App().doc.Current();
    if (obj == nullptr) return;
    const int32_t before = obj->windmillAxis;
    obj->windmillAxis = axis;
    Stored(axis != before);
}

void SymmetryDialog::StoreCount() {
    PatchObject* obj = App().doc.Current();
    if (obj == nullptr) return;
    // Not a number reads as 0, and a count below 1 means no copies.
    const uint32_t typed = DialogUnsigned(count_->GetValue().utf8_string());
    const int32_t count = typed < 1 || typed > INT32_MAX ? 1 : static_cast<int32_t>(typed);
    const int32_t before = obj->windmillCount;
    obj->windmillCount = count;
    Stored(count != before);
}

void SymmetryDialog::StoreOffset(int index) {
    PatchObject* obj = App().doc.Current();
    if (obj == nullptr) return;
    int32_t& offset = Offset(*obj, index);
    const int32_t before = offset;
    offset = DialogSigned(offset_[index]->GetValue().utf8_string());
    Stored(offset != before);
}

void SymmetryDialog::Stored(bool changed) {
    AppState& app = App();
    if (changed) {
        DocumentChanged(app.doc, app.sw);
        RedrawPalette();
    }
    RedrawAllViews();
}

void SymmetryDialog::Unfold() {
    AppState& app = App();
    if (app.doc.Current() == nullptr) {
        Finish(wxID_OK);
        return;
    }
    // Ends with RebuildControlCaches and DocumentChanged itself.
    UnfoldSymmetry(app.doc, app.sw);
    RedrawAllViews();
    RedrawPalette();
    if (!SettingsReset(*app.doc.Current())) {
        // The copies would not fit the object's 32-bit counts; nothing was changed.
        wxMessageDialog message(this,
                                UiText("オブジェクトが大きすぎるため展開できません。\n"
                                       "コピーの数を減らしてください。"),
                                "MirrorSetting", wxOK | wxICON_EXCLAMATION);
        message.ShowModal();
        return;
    }
    ShowSettings();
    Finish(wxID_OK);
}

void SymmetryDialog::Finish(int result) {
    if (IsModal()) {
        EndModal(result);
    } else {
        SetReturnCode(result);
        Hide();
    }
}

void ShowSymmetryDialog(wxWindow* parent) {
    if (App().doc.Current() == nullptr) return;
    SymmetryDialog dialog(parent != nullptr ? parent : wxTheApp->GetTopWindow());
    dialog.ShowModal();
}

}  // namespace zarni
