// Start-up: the one place that knows the concrete windows and wires them together.
#pragma once

#include <string>
#include <vector>

namespace zarni {

class MainFrame;

// Start-up after the toolkit is ready: creates the main window with its palette and object
// list, handles the command-line arguments (program path not included) and shows the window.
MainFrame* StartProgram(const std::vector<std::string>& arguments);

}  // namespace zarni
