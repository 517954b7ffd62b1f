// The preferences sheet ("Preference"): the view page (colours, camera and axes), the
// background-picture page (six picture slots, the picture ratio, visibility) and the control
// page (mouse and drawing options).
#pragma once

#include <wx/propdlg.h>

#include <array>
#include <cstdint>

#include "rules/preferences_rules.h"

class wxButton;
class wxCheckBox;
class wxPanel;
class wxSpinButton;
class wxTextCtrl;

namespace zarni {

// The pages in order.
enum PreferencePage : int { kPrefViewPage = 0, kPrefBackPicturePage, kPrefControlPage };
constexpr int kPreferencePageCount = 3;

// Control ids; each page numbers its own controls, so ids repeat across pages.
enum PreferenceViewId : int {
    kPrefBackColorId = 250,  // "Back", "Wire", "Handle", "OtherObject": 250..253
    kPrefColorGroupId = 280,
    kPrefCameraGroupId = 281,
    kPrefAltitudeId = 261,  // tenths, up-down 262 over 1..179
    kPrefAltitudeSpinId = 262,
    kPrefFovyId = 263,  // degrees, up-down 264 over 1..179
    kPrefFovySpinId = 264,
    kPrefAxesSizeId = 265,  // tenths, up-down 266 over 0..50
    kPrefAxesSizeSpinId = 266,
    kPrefSynchronizeId = 267,
    kPrefAltitudeLabelId = 282,
    kPrefFovyLabelId = 283,
    kPrefAxesSizeLabelId = 284,
};

enum PreferenceBackPictureId : int {
    kPrefBrowseId = 250,  // slot k: "Browse" 250 + 2k, "Clear" 251 + 2k
    kPrefClearId = 251,
    kPrefPictureGroupId = 280,
    kPrefSlotLabelId = 281,  // slot k: 281 + k
    kPrefRatioId = 262,      // up-down 263 over 32..1000
    kPrefRatioSpinId = 263,
    kPrefVisibleId = 264,
    kPrefRatioLabelId = 287,
};

enum PreferenceControlId : int {
    kPrefButtonHandleId = 250,
    kPrefMinimumDrawingId = 251,
    kPrefShow3DPosId = 252,
};

class ColorSwatch;

class PreferenceSheet : public wxPropertySheetDialog {
  public:
    // The pages filled from the program's present settings, document and switches.
    explicit PreferenceSheet(wxWindow* parent);

    wxPanel* Page(int page) const { return pages_[page]; }
    // Whether a page has been on screen; the first always has.
    bool PageShown(int page) const { return shown_[page]; }
    uint32_t WorkingColor(int i) const { return colors_[i]; }
    // The values OK applies: those of the pages shown.
    PreferencePages ShownPages() const;

  private:
    wxPanel* BuildViewPage();
    wxPanel* BuildBackPicturePage();
    wxPanel* BuildControlPage();
    void ChooseColor(int i);
    void Browse(int slot);
    void Clear(int slot);
    void ShowSlotName(int slot);
    void RatioTyped();

    std::array<wxPanel*, kPreferencePageCount> pages_{};
    std::array<bool, kPreferencePageCount> shown_{{true, false, false}};
    std::array<uint32_t, kPreferenceColorCount> colors_{};
    std::array<ColorSwatch*, kPreferenceColorCount> swatches_{};
    wxTextCtrl* altitude_ = nullptr;
    wxTextCtrl* fovy_ = nullptr;
    wxTextCtrl* axesSize_ = nullptr;
    wxCheckBox* synchronize_ = nullptr;
    std::array<wxButton*, 6> browse_{};
    wxTextCtrl* ratio_ = nullptr;
    wxCheckBox* visible_ = nullptr;
    wxCheckBox* buttonHandle_ = nullptr;
    wxCheckBox* minimumDrawing_ = nullptr;
    wxCheckBox* show3DPos_ = nullptr;
    wxCheckBox* adaptiveDetail_ = nullptr;
};

// Command 191: the sheet over `owner`, run modally. OK applies the pages shown and writes their
// keys (a settings file that cannot be written is reported); Cancel keeps only what acted at
// once (picture slots and ratio). The caller redraws the views.
void ShowPreferences(wxWindow* owner);

}  // namespace zarni
