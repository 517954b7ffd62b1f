// What the dialog tests share: a modal dialog answered by a function that may work its
// controls first, a message box whose text is kept, and the controls found by their ids.
#pragma once

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/testing.h>
#include <wx/textctrl.h>

#include <functional>
#include <string>

namespace zarni {

// A modal dialog answered by `answer`, which may work its controls first.
template <class Dialog>
class AnswerDialog : public wxExpectModalBase<Dialog, AnswerDialog<Dialog>> {
  public:
    explicit AnswerDialog(std::function<int(Dialog*)> answer) : answer_(std::move(answer)) {}

  protected:
    int OnInvoked(Dialog* dialog) const override { return answer_(dialog); }

  private:
    std::function<int(Dialog*)> answer_;
};

// A message box answered with OK; its text is kept.
class ExpectNotice : public wxExpectModalBase<wxMessageDialog, ExpectNotice> {
  public:
    explicit ExpectNotice(wxString* text) : text_(text) {}

  protected:
    int OnInvoked(wxMessageDialog* dialog) const override {
        *text_ = dialog->GetMessage();
        return wxID_OK;
    }

  private:
    wxString* text_;
};

template <class T>
T* Control(wxWindow* dialog, int id) {
    T* control = dynamic_cast<T*>(dialog->FindWindow(id));
    EXPECT_NE(control, nullptr) << "control " << id;
    return control;
}

inline std::string EditText(wxWindow* dialog, int id) {
    wxTextCtrl* edit = Control<wxTextCtrl>(dialog, id);
    return edit ? edit->GetValue().utf8_string() : std::string();
}

// Types into an edit box as the keyboard's text arrives: the whole new contents at once.
inline void Type(wxWindow* dialog, int id, const char* utf8) {
    if (wxTextCtrl* edit = Control<wxTextCtrl>(dialog, id))
        edit->SetValue(wxString::FromUTF8(utf8));
}

inline void PressArrow(wxWindow* dialog, int id, int key) {
    wxTextCtrl* edit = Control<wxTextCtrl>(dialog, id);
    if (edit == nullptr) return;
    wxKeyEvent event(wxEVT_KEY_DOWN);
    event.m_keyCode = key;
    event.SetEventObject(edit);
    edit->GetEventHandler()->ProcessEvent(event);
}

inline bool IsOn(wxWindow* dialog, int id) {
    if (auto* radio = dynamic_cast<wxRadioButton*>(dialog->FindWindow(id)))
        return radio->GetValue();
    if (auto* check = dynamic_cast<wxCheckBox*>(dialog->FindWindow(id))) return check->GetValue();
    ADD_FAILURE() << "no radio button or check box " << id;
    return false;
}

}  // namespace zarni
