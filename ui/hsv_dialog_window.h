// The colour dialog window ("HSVDialog") behind ChooseColorHSV, declared for the tests that
// drive it.
#pragma once

#include <wx/dialog.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "rules/hsv.h"

class wxButton;
class wxChoice;
class wxSpinCtrl;
class wxStaticLine;

namespace zarni {

enum HsvDialogId : int {
    kHsvHueId = 250,         // H, 0..359, wraps
    kHsvSaturationId = 252,  // S x 255, 0..255
    kHsvValueId = 254,       // V x 255, 0..255
    kHsvExpandId = 256,      // "拡張=>"
    kHsvNamedId = 260,       // the named colours
    kHsvGreyId = 261,        // "灰色化"
    kHsvComplementId = 262,  // "補色"
    kHsvStepId = 263,        // "H+=n°"
    kHsvDivId = 264,         // n, 2..36
};

// Settings file section and keys.
constexpr char kHsvSection[] = "HSVDialog";
constexpr char kHsvExpandKey[] = "fExpand";
constexpr char kHsvDivKey[] = "HDiv";

// Client widths collapsed and with the side panel, and the height; wider or taller only where
// the toolkit's controls need more room.
constexpr int kHsvClientWidth = 380;
constexpr int kHsvExpandedWidth = 480;
constexpr int kHsvClientHeight = 290;

class HsvDialog : public wxDialog {
  public:
    // Reads "fExpand" and "HDiv" from `settingsPath` unless it is empty.
    HsvDialog(wxWindow* parent, uint32_t colour, const std::string& settingsPath);

    const HsvState& State() const { return state_; }
    bool Expanded() const { return expanded_; }
    // The colour OK returns.
    uint32_t Result() const { return state_.Result(); }

  private:
    void PlaceControls();
    void FitClientArea();
    void ShowFields();
    void FieldsChanged();
    void Changed();
    void OnPaint(wxPaintEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnNamedColour();
    void Finish(int result);

    std::string path_;
    HsvState state_;
    HsvPicture picture_;
    std::vector<uint8_t> canvas_;
    bool expanded_ = false;
    bool settingFields_ = false;

    wxSpinCtrl* hue_ = nullptr;
    wxSpinCtrl* saturation_ = nullptr;
    wxSpinCtrl* value_ = nullptr;
    wxSpinCtrl* div_ = nullptr;
    wxChoice* named_ = nullptr;
    std::vector<wxWindow*> sidePanel_;
    int collapsedWidth_ = kHsvClientWidth;
    int expandedWidth_ = kHsvExpandedWidth;
    int clientHeight_ = kHsvClientHeight;
};

}  // namespace zarni
