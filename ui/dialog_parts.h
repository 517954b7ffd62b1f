// Pieces the program's small dialogs share: number boxes joined with wrapping up-downs, rows of
// axis radio buttons, dialog-unit metrics and the reading of typed numbers.
#pragma once

#include <wx/gdicmn.h>
#include <wx/string.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class wxBoxSizer;
class wxButton;
class wxDialog;
class wxSizer;
class wxRadioButton;
class wxSpinButton;
class wxTextCtrl;
class wxWindow;

namespace zarni {

// A user-interface text from the UTF-8 of the source.
wxString UiText(const char* utf8);

// A signed number as the dialogs read it: an optional minus sign and decimal digits, surrounding
// blanks ignored; 0 when the text is no such number or does not fit 32 bits.
int32_t DialogSigned(const std::string& text);

// What a number box lets through. The toolkit's own spin control would force every typed
// value into the up-down's range, so the boxes are plain edits with these rules.
struct NumberBoxRule {
    bool minus = false;      // one leading minus sign
    unsigned maxDigits = 9;  // longer numbers would not fit the 32 bits they are read into
};

// Keeps only what `rule` lets through, whatever arrived by typing, pasting or through an input
// method: full-width digits and minus signs become plain ones, anything else is dropped with a
// bell. The caret stays where it was among the characters kept.
void KeepNumberText(wxTextCtrl* edit, const NumberBoxRule& rule);

// Shows `value` in the box without a change notification, and moves the up-down there when it
// lies in the up-down's range.
void ShowNumber(wxTextCtrl* edit, wxSpinButton* spin, int64_t value);

// A vertical up-down over low..high that wraps around at both ends.
wxSpinButton* NewUpDown(wxWindow* parent, int id, int low, int high);

// Joins a number box and its up-down: the up-down starts from the number typed when that lies in
// its range (else from its own last position), steps it with wrap-around and writes the result
// into the box; Up and Down in the box step it too. What is typed stays as typed. `changed` runs
// after every change of the box's text, typed or stepped.
void AttachUpDown(wxTextCtrl* edit, wxSpinButton* spin, const NumberBoxRule& rule,
                  std::function<void()> changed = {});

// Dialog-unit metrics of one dialog, taken from its font as the templates' layout was.
struct DialogMetrics {
    int margin;  // between the dialog's edge and its controls
    int rowGap;
    int columnGap;
};

DialogMetrics MetricsOf(wxWindow* dialog);

// Lays out a dialog: `content` above the OK and Cancel buttons in the desktop's order, OK the
// default, the whole sized from its content but never below `templateSize` in dialog units
// (none when default), centred on its parent. Returns the OK button.
wxButton* FinishDialogLayout(wxDialog* dialog, wxSizer* content, const DialogMetrics& m,
                             wxSize templateSize = wxDefaultSize);

// Three radio buttons "X", "Y", "Z" in a row with ids firstId..firstId+2, the first starting a
// group, the one for `axis` (1..3) on. A hidden fourth in the same group is on when `axis` names
// none, since a shown group of toolkit radio buttons always has one on; `none` receives it.
wxBoxSizer* AxisButtons(wxWindow* dialog, int firstId, std::array<wxRadioButton*, 3>& buttons,
                        int32_t axis, int gap, wxRadioButton** none = nullptr);

// 1..3 for the axis radio button that is on, 0 when none is.
int32_t AxisButtonOn(const std::array<wxRadioButton*, 3>& buttons);

}  // namespace zarni
