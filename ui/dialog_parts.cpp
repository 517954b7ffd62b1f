// Number boxes with wrapping up-downs, axis radio rows and metrics shared by the small dialogs.
#include "ui/dialog_parts.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>
#include <memory>

namespace zarni {

namespace {

bool IsMinus(wxUniChar c) {
    // The plain, the full-width and the typographic minus.
    return c == '-' || c.GetValue() == 0xFF0D || c.GetValue() == 0x2212;
}

// The number in the box when it holds a complete one.
bool BoxNumber(const wxTextCtrl* edit, int64_t& value) {
    const std::string text = edit->GetValue().utf8_string();
    const size_t digits = text.find_first_of("0123456789");
    if (digits == std::string::npos) return false;
    value = DialogSigned(text);
    return true;
}

void FollowBox(wxTextCtrl* edit, wxSpinButton* spin) {
    int64_t value = 0;
    if (BoxNumber(edit, value) && value >= spin->GetMin() && value <= spin->GetMax())
        spin->SetValue(static_cast<int>(value));
}

// One step of the up-down from the keyboard, wrapping around at both ends as its buttons do.
void StepUpDown(wxTextCtrl* edit, wxSpinButton* spin, int delta) {
    int value = spin->GetValue() + delta;
    if (value > spin->GetMax()) value = spin->GetMin();
    if (value < spin->GetMin()) value = spin->GetMax();
    ShowNumber(edit, spin, value);
    edit->SetInsertionPointEnd();
}

}  // namespace

wxString UiText(const char* utf8) {
    return wxString::FromUTF8(utf8);
}

int32_t DialogSigned(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return 0;
    const size_t last = text.find_last_not_of(" \t");
    size_t i = first;
    const bool negative = text[i] == '-';
    if (negative) ++i;
    if (i > last) return 0;
    int64_t value = 0;
    for (; i <= last; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1) return 0;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) return 0;
    return static_cast<int32_t>(value);
}

void KeepNumberText(wxTextCtrl* edit, const NumberBoxRule& rule) {
    const wxString text = edit->GetValue();
    const long caret = edit->GetInsertionPoint();
    wxString kept;
    unsigned digits = 0;
    long droppedBeforeCaret = 0;
    bool dropped = false;
    for (size_t i = 0; i < text.length(); ++i) {
        const wxUniChar c = text[i];
        wxUniChar plain = 0;
        if (c >= '0' && c <= '9') {
            plain = c;
        } else if (c.GetValue() >= 0xFF10 && c.GetValue() <= 0xFF19) {
            plain = wxUniChar('0' + (c.GetValue() - 0xFF10));
        } else if (IsMinus(c) && rule.minus && kept.empty()) {
            plain = '-';
        }
        if (plain != 0 && plain != '-') {
            if (digits == rule.maxDigits)
                plain = 0;
            else
                ++digits;
        }
        if (plain != 0) {
            kept += plain;
        } else {
            dropped = true;
            if (static_cast<long>(i) < caret) ++droppedBeforeCaret;
        }
    }
    if (kept == text) return;
    if (dropped) wxBell();
    edit->ChangeValue(kept);
    edit->SetInsertionPoint(std::min<long>(caret - droppedBeforeCaret, kept.length()));
}

void ShowNumber(wxTextCtrl* edit, wxSpinButton* spin, int64_t value) {
    // Plain decimal, no thousands separators.
    edit->ChangeValue(wxString::Format("%lld", static_cast<long long>(value)));
    if (value >= spin->GetMin() && value <= spin->GetMax()) spin->SetValue(static_cast<int>(value));
}

wxSpinButton* NewUpDown(wxWindow* parent, int id, int low, int high) {
    auto* spin = new wxSpinButton(parent, id, wxDefaultPosition, wxDefaultSize,
                                  wxSP_VERTICAL | wxSP_ARROW_KEYS | wxSP_WRAP);
    spin->SetRange(low, high);
    return spin;
}

void AttachUpDown(wxTextCtrl* edit, wxSpinButton* spin, const NumberBoxRule& rule,
                  std::function<void()> changed) {
    auto notify = std::make_shared<std::function<void()>>(std::move(changed));
    edit->Bind(wxEVT_TEXT, [edit, spin, rule, notify](wxCommandEvent& event) {
        KeepNumberText(edit, rule);
        FollowBox(edit, spin);
        if (*notify) (*notify)();
        event.Skip();
    });
    edit->Bind(wxEVT_KEY_DOWN, [edit, spin, notify](wxKeyEvent& event) {
        if (event.HasAnyModifiers() ||
            (event.GetKeyCode() != WXK_UP && event.GetKeyCode() != WXK_DOWN)) {
            event.Skip();
            return;
        }
        FollowBox(edit, spin);
        StepUpDown(edit, spin, event.GetKeyCode() == WXK_UP ? +1 : -1);
        if (*notify) (*notify)();
    });
    spin->Bind(wxEVT_SPIN, [edit, notify](wxSpinEvent& event) {
        edit->ChangeValue(wxString::Format("%d", event.GetPosition()));
        edit->SetInsertionPointEnd();
        if (*notify) (*notify)();
    });
}

DialogMetrics MetricsOf(wxWindow* dialog) {
    const wxSize margin = dialog->ConvertDialogToPixels(wxSize(7, 7));
    const wxSize gap = dialog->ConvertDialogToPixels(wxSize(4, 4));
    return {margin.x, gap.y, gap.x};
}

wxButton* FinishDialogLayout(wxDialog* dialog, wxSizer* content, const DialogMetrics& m,
                             wxSize templateSize) {
    auto* ok = new wxButton(dialog, wxID_OK, "OK");
    auto* cancel = new wxButton(dialog, wxID_CANCEL, "Cancel");
    ok->SetDefault();
    auto* buttons = new wxStdDialogButtonSizer;
    buttons->AddButton(ok);
    buttons->AddButton(cancel);
    buttons->Realize();

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(content, 0, wxALL | wxEXPAND, m.margin);
    top->AddStretchSpacer();
    top->Add(buttons, 0, wxLEFT | wxRIGHT | wxBOTTOM | wxEXPAND, m.margin);
    if (templateSize != wxDefaultSize) top->SetMinSize(dialog->ConvertDialogToPixels(templateSize));
    dialog->SetSizerAndFit(top);
    dialog->CentreOnParent();
    return ok;
}

wxBoxSizer* AxisButtons(wxWindow* dialog, int firstId, std::array<wxRadioButton*, 3>& buttons,
                        int32_t axis, int gap, wxRadioButton** none) {
    static const char* const kNames[3] = {"X", "Y", "Z"};
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    for (int i = 0; i < 3; ++i) {
        buttons[i] = new wxRadioButton(dialog, firstId + i, kNames[i], wxDefaultPosition,
                                       wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
        row->Add(buttons[i], 0, wxALIGN_CENTER_VERTICAL | (i > 0 ? wxLEFT : 0), gap);
    }
    auto* noAxis = new wxRadioButton(dialog, wxID_ANY, wxEmptyString);
    noAxis->Hide();
    if (axis >= 1 && axis <= 3) {
        buttons[axis - 1]->SetValue(true);
    } else {
        noAxis->SetValue(true);
    }
    if (none != nullptr) *none = noAxis;
    return row;
}

int32_t AxisButtonOn(const std::array<wxRadioButton*, 3>& buttons) {
    for (int i = 0; i < 3; ++i) {
        if (buttons[i]->GetValue()) return i + 1;
    }
    return 0;
}

}  // namespace zarni
