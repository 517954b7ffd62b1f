// The main window's accelerator keys in every window of the program except modal dialogs.
#pragma once

class wxWindow;

namespace zarni {

// Starts sending F1, F3, Esc and Ctrl+X from any window of the program to `mainWindow` as
// its menu commands; a key meant for a grayed command (F2) is ignored, as the menu ignores it.
// While a menu is open no key acts behind it, and Esc closes the menu.
void InstallKeyFilter(wxWindow* mainWindow);
void RemoveKeyFilter();

// Whether a menu of the program is open.
bool MenuOpen();

// Whether a modal dialog of the program is open.
bool ModalDialogOpen();

}  // namespace zarni
