// The program's own cursor 3: a pointing hand shown over a control point.
#pragma once

#include <wx/cursor.h>

namespace zarni {

// 32 x 32, white with a black outline, index finger up, hot spot at the finger tip (6, 1).
wxCursor CreatePointCursor();

}  // namespace zarni
