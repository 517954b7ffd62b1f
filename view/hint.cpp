// The hint's text, placement and time-out, and the position read-out of a resting cursor.
#include "view/hint.h"

#include <algorithm>
#include <cstdio>

namespace zarni {

std::string PositionText(const ControlPoint& p) {
    char text[160];
    std::snprintf(text, sizeof text, "X:%3.3f Y:%3.3f Z:%3.3f", p.x, p.y, p.z);
    return text;
}

HintRect PlaceHint(CursorPoint cursor, int32_t textWidth, int32_t textHeight, int32_t screenWidth,
                   int32_t screenHeight) {
    HintRect r;
    r.width = textWidth + kHintPadding;
    r.height = textHeight + kHintPadding;
    r.y = cursor.y > screenHeight / 2 ? cursor.y - kHintAboveCursor : cursor.y + kHintBelowCursor;
    r.x = std::max(cursor.x, 0);
    if (r.x + r.width > screenWidth) r.x = screenWidth - r.width;
    // A hint wider or taller than the screen starts at its left or top edge.
    r.y = std::min(r.y, screenHeight - r.height);
    r.x = std::max(r.x, 0);
    r.y = std::max(r.y, 0);
    return r;
}

bool HintModel::SetTimeout(int32_t ms) {
    timeoutMs_ = std::max(ms, 0);
    return visible_;
}

const HintRect& HintModel::Show(CursorPoint cursor, int32_t textWidth, int32_t textHeight,
                                int32_t screenWidth, int32_t screenHeight, uint32_t now) {
    rect_ = PlaceHint(cursor, textWidth, textHeight, screenWidth, screenHeight);
    visible_ = true;
    shownAt_ = now;
    return rect_;
}

bool HintModel::Refresh(int32_t textWidth, int32_t textHeight) {
    if (!visible_) return false;
    rect_.width = textWidth + kHintPadding;
    rect_.height = textHeight + kHintPadding;
    return true;
}

bool HintModel::Tick(uint32_t now) {
    if (!visible_ || timeoutMs_ == 0) return false;
    if (now - shownAt_ < static_cast<uint32_t>(timeoutMs_)) return false;
    visible_ = false;
    return true;
}

bool PositionReadout::Rest(CursorPoint cursor, bool enabled) {
    const bool still = cursor.x == last_.x && cursor.y == last_.y;
    last_ = cursor;
    if (!enabled) return false;
    if (!still) {
        restTicks_ = 0;
        return false;
    }
    return ++restTicks_ == kPositionRestTicks;
}

}  // namespace zarni
