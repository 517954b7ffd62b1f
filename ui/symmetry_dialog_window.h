// The symmetry dialog's window ("MIRROR_DIALOG", caption "MirrorSetting"): its control ids, the
// up-downs' ranges and the dialog class that ShowSymmetryDialog runs.
#pragma once

#include <wx/dialog.h>

#include <array>
#include <cstdint>

class wxCheckBox;
class wxRadioButton;
class wxSpinButton;
class wxTextCtrl;

namespace zarni {

enum SymmetryDialogId : int {
    kSymmetryOkId = 1,  // push button "OK"
    kMirrorXId = 250,   // check boxes "X", "Y", "Z": mirror bits 1, 2, 4
    kMirrorYId = 251,
    kMirrorZId = 252,
    kWindmillXId = 253,  // radio buttons "X", "Y", "Z": windmill axis 1, 2, 3
    kWindmillYId = 254,
    kWindmillZId = 255,
    kWindmillCountId = 256,  // edit: the windmill count
    kWindmillCountSpinId = 257,
    kMoveId = 258,   // check box "Move": bit 8
    kMoveXId = 259,  // edits: the move offsets in thousandths, each with its up-down
    kMoveXSpinId = 260,
    kMoveYId = 261,
    kMoveYSpinId = 262,
    kMoveZId = 263,
    kMoveZSpinId = 264,
    kUnfoldId = 265,         // push button "Unfold"
    kSymmetryLabelId = 281,  // ":Mirror" and ":WindMill"
    kMoveXLabelId = 282,     // "X(/1000)", "Y(/1000)", "Z(/1000)"
    kMoveYLabelId = 283,
    kMoveZLabelId = 284,
};

// The up-downs' ranges; both wrap around. The boxes take numbers beyond them as typed.
constexpr int kWindmillCountMin = 1;
constexpr int kWindmillCountMax = 72;
constexpr int kMoveOffsetMin = -3000;
constexpr int kMoveOffsetMax = 3000;
// Every copy is drawn in every view on every redraw; a count of thousands or more would stall
// the program, so the count box takes three digits at most.
constexpr unsigned kWindmillCountDigits = 3;

// "MirrorSetting" for the current object of App().doc. It keeps nothing of its own: every
// control writes its value into the object at once, marks the document modified when the
// stored value changed and redraws the views. OK and Unfold end it with wxID_OK, Escape and the
// close box with wxID_CANCEL; what was changed stays changed either way.
class SymmetryDialog : public wxDialog {
  public:
    explicit SymmetryDialog(wxWindow* parent);

    // Sets every control from the current object without storing anything.
    void ShowSettings();

  private:
    void StoreFlag(int32_t bit, bool on);
    void StoreAxis(int32_t axis);
    void StoreCount();
    void StoreOffset(int index);
    void StoreOffsets();
    // Ends every control's action: the document is marked modified when a stored value
    // changed, and the views are redrawn.
    void Stored(bool changed);
    void Unfold();
    void Finish(int result);

    std::array<wxCheckBox*, 3> mirror_{};
    std::array<wxRadioButton*, 3> axis_{};
    wxTextCtrl* count_ = nullptr;
    wxSpinButton* countSpin_ = nullptr;
    wxCheckBox* move_ = nullptr;
    std::array<wxTextCtrl*, 3> offset_{};
    std::array<wxSpinButton*, 3> offsetSpin_{};
    wxRadioButton* noAxis_ = nullptr;
    bool showing_ = false;  // ShowSettings is filling the controls
};

}  // namespace zarni
