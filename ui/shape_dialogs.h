// The extrude and lathe dialogs ("EXTRUDE_DIALOG", "LATHE_DIALOG") and the palette commands
// that ask for their settings before sweeping or turning the selection.
#pragma once

#include <wx/dialog.h>

#include <array>
#include <cstdint>
#include <string>

#include "ops/extrude.h"
#include "ops/lathe.h"

class wxCheckBox;
class wxRadioButton;
class wxSpinButton;
class wxTextCtrl;

namespace zarni {

// Control ids of the two dialogs; OK and Cancel are wxID_OK and wxID_CANCEL.
enum ShapeDialogId : int {
    kShapeAxisXId = 250,  // radio buttons "X", "Y", "Z"
    kShapeAxisYId = 251,
    kShapeAxisZId = 252,
    kExtrudeMinusId = 253,       // check box "Minus"
    kExtrudeLengthId = 255,      // edit: the length in thousandths
    kExtrudeLengthSpinId = 256,  // its up-down, 1..2000
    kLatheCloseId = 253,         // radio buttons "Close" and "Parts"
    kLathePartsId = 254,
    kLathePartsCountId = 255,      // edit: the steps of a partial lathe
    kLathePartsCountSpinId = 256,  // its up-down, 1..17
    kLatheDivLevelId = 257,        // edit: the steps per revolution
    kLatheDivLevelSpinId = 258,    // its up-down, 3..18
    kShapeAxisLabelId = 280,       // "Axis:"
    kShapeValueLabelId = 281,      // "Length" / "Count"
    kLatheDivLevelLabelId = 282,   // "DivLevel"
};

// Ranges of the up-down controls; both wrap around at their ends. The edit boxes take any
// number typed, in or out of these ranges.
constexpr int kExtrudeLengthMin = 1;
constexpr int kExtrudeLengthMax = 2000;
constexpr int kLathePartsCountMin = 1;
constexpr int kLathePartsCountMax = 17;
constexpr int kLatheDivLevelMin = 3;
constexpr int kLatheDivLevelMax = 18;

// "ExtrudeSetting": filled from the settings file at `settingsPath` when it is made. It
// writes nothing itself: after ShowModal returns wxID_OK the caller stores the controls'
// values with StoreSettings; Cancel and the close box store nothing.
class ExtrudeDialog : public wxDialog {
  public:
    ExtrudeDialog(wxWindow* parent, const std::string& settingsPath);

    // OK: writes "fMinus", "Axis" (when a radio button is on) and "Length" as typed, and
    // sets `settings` to what the sweep then uses. False when the file could not be written;
    // `settings` is set all the same.
    bool StoreSettings(ExtrudeSettings& settings);

  private:
    std::string path_;
    ExtrudeSettings loaded_;
    wxCheckBox* minus_ = nullptr;
    std::array<wxRadioButton*, 3> axis_{};
    wxTextCtrl* length_ = nullptr;
    wxSpinButton* lengthSpin_ = nullptr;
};

// "LatheSetting": the same for the lathe's axis, type, parts count and division level.
class LatheDialog : public wxDialog {
  public:
    LatheDialog(wxWindow* parent, const std::string& settingsPath);

    // OK: writes "Axis" and "Type" (when one of their radio buttons is on), "PartsCount" as a
    // byte and "DivLevel" brought into 3..18, and sets `settings` to what the lathe then
    // uses. False when the file could not be written; `settings` is set all the same.
    bool StoreSettings(LatheSettings& settings);

  private:
    std::string path_;
    LatheSettings loaded_;
    std::array<wxRadioButton*, 3> axis_{};
    wxRadioButton* close_ = nullptr;
    wxRadioButton* parts_ = nullptr;
    wxTextCtrl* partsCount_ = nullptr;
    wxSpinButton* partsCountSpin_ = nullptr;
    wxTextCtrl* divLevel_ = nullptr;
    wxSpinButton* divLevelSpin_ = nullptr;
};

// The palette's extrude command: nothing (no dialog, false) while no object is current or
// no anchor is selected; otherwise the dialog over `parent` (the main window when null) and,
// on OK, the sweep of App().doc and a redraw of the views and the palette. True when the
// document changed.
bool ExtrudeSelectionWithDialog(wxWindow* parent);

// The palette's lathe command, the same with the lathe dialog; the lathe runs under the
// wait cursor.
bool LatheSelectionWithDialog(wxWindow* parent);

}  // namespace zarni
