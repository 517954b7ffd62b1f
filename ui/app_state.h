// The process-wide state of the program: one document, one set of editing switches, one
// clipboard, the settings read at start-up, the camera memories and the save dialogs' state.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/document.h"
#include "model/history.h"
#include "formats/settings_file.h"
#include "view/camera.h"

namespace zarni {

// Shared by every Save As and Export (and the picture dialogs): the last confirmed path, the
// filter index counted from 1 (0 before any dialog) and the folder the first dialog opened in.
struct FileDialogState {
    std::string fileName;
    int filterIndex = 0;
    std::string startDir;
};

struct AppState {
    Document doc;
    EditSwitches sw;
    Clipboard clipboard;
    Settings settings;
    std::string settingsPath;
    CameraMemories cameras;
    FileDialogState fileDialog;
    std::string mainCaption;
    // The undo history of the document, and the file the document was read from or last
    // saved to (empty for a new document).
    History history;
    std::string documentPath;
    bool buttonsSwapped = false;  // no swap setting exists here: buttons are never swapped

    // Starts another instance of the program with `arguments`; replaced by tests.
    std::function<bool(const std::vector<std::string>&)> startInstance;
    // Opens a file with the desktop's default application; replaced by tests.
    std::function<bool(const std::string&)> openWithDesktop;
};

AppState& App();

// The caption and version text, "Zarni!_ver0.1a".
std::string BuildMainCaption();

// The program's own executable.
std::string ExecutablePath();

}  // namespace zarni
