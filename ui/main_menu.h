// The main menu bar and the accelerator keys of the main window.
#pragma once

#include <wx/accel.h>
#include <wx/menu.h>

#include <vector>

namespace zarni {

// "&File", "&Edit" (ending in the "Model" sub-menu) and "&Other", with the fixed ids; Undo and
// Redo are grayed until there is something to undo or redo.
wxMenuBar* CreateMainMenuBar();

// F1 Help, F2 and Ctrl+O Open, Ctrl+S Save, F3 Save As, Esc and Ctrl+X Exit, Ctrl+Z Undo,
// Ctrl+Y and Ctrl+Shift+Z Redo; a key whose command is grayed is not delivered.
std::vector<wxAcceleratorEntry> MainAcceleratorEntries();

// The command of a key press, or 0 when the key is none of the accelerators. `ctrl` etc. are
// the modifiers held.
int AcceleratorCommand(int keyCode, bool ctrl, bool shift, bool alt);

}  // namespace zarni
