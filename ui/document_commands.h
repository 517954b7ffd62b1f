// The File commands: New, Save As, Export and Exit with the save dialog they share, and the
// two ways documents come in: the command line and dropped files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "rules/file_names.h"

class wxWindow;

namespace zarni {

// Starts a second instance of the program with its own empty document.
void NewInstance();

// The shared save dialog with `filters`, offering the path `offered` (or no name, in the folder
// of the last path). The name typed takes the extension `extensionFor` gives for the chosen
// filter (none: the dialog counts as cancelled) before anything else; an existing file of that
// name is replaced only when "上書きの確認" is answered Yes (No shows the dialog again). True
// when a name was confirmed, which is then in App().fileDialog.fileName. The filter index is
// stored whether or not it was confirmed.
bool SaveFileDialog(wxWindow* owner, const std::vector<FileFilter>& filters,
                    const std::string& offered,
                    const std::function<std::string(int storedIndex)>& extensionFor);

// Save As: true when the document was written (then `modified` is clear). A cancelled
// dialog or a failed write (reported in a message box) leaves `modified` as it was.
bool SaveAsCommand(wxWindow* owner);

// Whether the window holds nothing yet: a new, unchanged document without a file, with one
// empty object and nothing to undo. Such a window takes an opened or restored document.
bool WindowUntouched();

// The shared open dialog for documents (the *.zarni filter, the last path and folder of the
// save dialogs); the chosen paths, empty when cancelled.
std::vector<std::string> OpenFileDialog(wxWindow* owner, const char* caption, bool multiple);

// Open (F2, Ctrl+O): the chosen files; the first opens in this window when it holds nothing
// yet, the others (or all) in a new window. True when a file was opened.
bool OpenCommand(wxWindow* owner);

// Close and Open: saves a changed document first (Save As), then reads the chosen file in
// place of it. A cancelled save or dialog, or a file that cannot be read, changes nothing.
bool CloseAndOpenCommand(wxWindow* owner);

// Append: the chosen files appended to the document, as dropped files are.
int AppendCommand(wxWindow* owner);

// Save (Ctrl+S): writes the document's own file, or asks for a name (Save As) when it has none.
bool SaveCommand(wxWindow* owner);

// Export: the scene or include file by the filter chosen; a failed write is reported.
void ExportCommand(wxWindow* owner);

// Asks "保存の確認" when the document is modified. Returns false when the program keeps
// running: Cancel, or Yes followed by a Save As that was cancelled or failed (the changes
// would be lost otherwise). Returns true when the caller may end the program.
bool ConfirmExit(wxWindow* owner);

// Reads the file given on the command line; a file that cannot be read is reported and
// leaves the document as it was. The document read equals its file: not modified, and undo
// starts there. Missing background pictures are looked for beside `picturesBeside` (the file
// read when empty). Returns whether it was read.
bool OpenCommandLineFile(wxWindow* owner, const std::string& path,
                         const std::string& picturesBeside = {});

// Appends each dropped file in order, then clears the selection and marks the document
// changed when at least one was appended. An SVG drawing (by its extension) becomes one new
// object of its curves, kDropImportSize across, current with its anchors selected (kept when
// it is the last file appended). Files that could not be appended are reported together in
// one message. Returns the number appended.
constexpr double kDropImportSize = 2.0;
int AppendDroppedFiles(wxWindow* owner, const std::vector<std::string>& paths);

// Opens ReadMe.txt with the desktop's default application: the one beside the executable, or
// else the installed one under the prefix's share/doc/zarni.
void OpenHelpText();

}  // namespace zarni
