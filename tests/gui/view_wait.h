// Waiting for the views' deferred pictures: events are pumped until a condition holds, with a
// limit that only guards against a hang.
#pragma once

#include <wx/app.h>
#include <wx/utils.h>

#include <chrono>
#include <functional>

#include "ui/views.h"

namespace zarni {

// Pumps events (idle processing included) until `done` holds; false when it still does not
// after `limitMs`.
inline bool WaitUntil(const std::function<bool()>& done, int limitMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
        if (!done()) wxMilliSleep(2);
    }
    return true;
}

// Until every view marked for drawing is drawn.
inline bool WaitForPictures(ViewSet& views) {
    return WaitUntil([&] { return !views.RedrawPending(); });
}

// Until every view shows its full picture: nothing marked, nothing reduced still owed.
inline bool WaitForFullPictures(ViewSet& views, int limitMs = 10000) {
    const std::function<bool()> settled = [&] {
        return !views.RedrawPending() && !views.FullOwed();
    };
    return WaitUntil(settled, limitMs);
}

}  // namespace zarni
