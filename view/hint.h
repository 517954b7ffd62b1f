// The hint window without the window: the 3D position read-out of a resting cursor, the text,
// where the hint goes on the screen and when it hides again. The window side measures the text,
// shows a borderless pop-up at HintModel::rect() and draws the text at (4, 4) in it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/document.h"
#include "view/camera.h"

namespace zarni {

constexpr int32_t kHintTimeoutMs = 2000;
// View timer ticks the cursor must rest on a point before its position is shown.
constexpr int32_t kPositionRestTicks = 6;
// Space around the text, in each direction together.
constexpr int32_t kHintPadding = 8;
constexpr int32_t kHintAboveCursor = 36;
constexpr int32_t kHintBelowCursor = 27;

// "X:%3.3f Y:%3.3f Z:%3.3f" of the point.
std::string PositionText(const ControlPoint& p);

// A rectangle in screen pixels.
struct HintRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Where a hint of the given text extent goes for a cursor at `cursor` (screen pixels): 36
// pixels above the cursor in the lower half of the screen, 27 below it otherwise; starting at
// the cursor's x but kept inside the screen's width, and inside its height.
HintRect PlaceHint(CursorPoint cursor, int32_t textWidth, int32_t textHeight, int32_t screenWidth,
                   int32_t screenHeight);

// The hint's state: its text, whether and where it is shown, and its time-out.
class HintModel {
  public:
    const std::string& text() const { return text_; }
    void SetText(std::string text) { text_ = std::move(text); }
    bool visible() const { return visible_; }
    const HintRect& rect() const { return rect_; }
    int32_t timeout() const { return timeoutMs_; }

    // A negative time-out counts as 0, which keeps a hint until the next one replaces it.
    // Returns true when the hint is visible: the window restarts its timer with the new value.
    bool SetTimeout(int32_t ms);
    // Shows the present text at the cursor (replacing a visible hint) at time `now`; returns
    // where. The window starts its timer with timeout() when that is not 0.
    const HintRect& Show(CursorPoint cursor, int32_t textWidth, int32_t textHeight,
                         int32_t screenWidth, int32_t screenHeight, uint32_t now);
    // Fits a visible hint to a new text extent, keeping its top-left corner; false (and nothing
    // changes) while it is hidden.
    bool Refresh(int32_t textWidth, int32_t textHeight);
    // The clock advanced: hides the hint once its time-out has passed. True when it hid now.
    bool Tick(uint32_t now);
    void Hide() { visible_ = false; }

  private:
    std::string text_ = "Hint2";
    bool visible_ = false;
    HintRect rect_;
    int32_t timeoutMs_ = kHintTimeoutMs;
    uint32_t shownAt_ = 0;
};

// The 3D position read-out of the view timer ("Show 3D Pos"): after the cursor has rested six
// ticks the point under it is picked once, and its position is shown when there is one. It is
// not shown again until the cursor moves.
class PositionReadout {
  public:
    // One timer tick with the cursor in the current view. `pick` (called at most once, and only
    // at the sixth resting tick) returns the point under the cursor or -1. Returns the text to
    // show in the hint.
    template <class Pick>
    std::optional<std::string> Tick(CursorPoint cursor, bool enabled, const PatchObject* object,
                                    Pick&& pick) {
        const bool pickNow = Rest(cursor, enabled);
        if (!pickNow || object == nullptr) return std::nullopt;
        const int32_t hit = pick();
        if (hit < 0 || hit >= object->pointCount()) return std::nullopt;
        return PositionText(object->points[hit]);
    }

    // The tick without the pick: true exactly at the sixth resting tick.
    bool Rest(CursorPoint cursor, bool enabled);
    int32_t restTicks() const { return restTicks_; }

  private:
    CursorPoint last_;
    int32_t restTicks_ = 0;
};

}  // namespace zarni
