// Work too long to leave the window standing still without a word: a file read or written on a
// worker thread while the window waits, with a progress dialog once it takes long.
#pragma once

#include <wx/window.h>

#include <functional>
#include <string>

namespace zarni {

// Runs `work` on a worker thread and returns when it has ended. Until then the window takes
// no input; after half a second a progress dialog titled `title` says `message` and pulses,
// repainting what it covers. `work` must not touch the windows, and the document only to read
// it, since the views may draw it meanwhile.
void RunLongWork(wxWindow* owner, const std::string& title, const std::string& message,
                 const std::function<void()>& work);

// For the tests: how long the work runs before the dialog comes (0: the dialog comes at once,
// however short the work), and what is called (on the window's thread) once it has come.
void SetLongWorkDelayForTesting(int ms);
void SetLongWorkShownHookForTesting(std::function<void()> hook);

}  // namespace zarni
