// The hint window: a borderless pop-up with one line of text near the cursor that hides
// itself after its time-out. Placement and timing come from HintModel.
#pragma once

#include <wx/popupwin.h>
#include <wx/timer.h>

#include <string>

#include "view/hint.h"

namespace zarni {

class HintWindow : public wxPopupWindow {
  public:
    explicit HintWindow(wxWindow* parent);

    // Replaces a visible hint by `text` at the mouse cursor; it hides after timeout() ms.
    void ShowAtCursor(const std::string& text);
    // A negative value counts as 0: the hint then stays until the next one replaces it.
    void SetTimeout(int32_t ms);
    const HintModel& model() const { return model_; }

  private:
    void OnPaint(wxPaintEvent&);
    void OnTimer(wxTimerEvent&);
    void StartTimer();

    HintModel model_;
    wxTimer timer_;
};

}  // namespace zarni
