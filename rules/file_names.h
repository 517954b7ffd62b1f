// Path and command-line rules of the File commands: forced extensions, the save dialog's
// filter lists and shared filter index, the help-file path and the command-line hand-over.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zarni {

// `path` with the extension of its file name replaced by `extension` (given without its dot),
// or with "." and `extension` appended when the file name has none. The file name is the text
// after the last '/' or '\\'; its extension starts at its last '.', so "my.dir/name" becomes
// "my.dir/name.zarni". The given extension's letter case wins: "NAME.ZARNI" gives "NAME.zarni".
std::string ForceExtension(const std::string& path, const std::string& extension);

// A path (or a line naming one) as a message shows it: broken into lines of at most `columns`
// columns (a character outside ASCII counts two), after a '/' where one falls in the line and
// never inside a character. A message box does not break a word, and a path is one word: a long
// one would make the box wider than the screen.
constexpr size_t kMessagePathColumns = 60;
std::string MessagePath(const std::string& path, size_t columns = kMessagePathColumns);

// The main window's caption: the program's caption, then the document's file name when it has
// one, and " *" while the document has unsaved changes; the program's caption alone for a new,
// unchanged document.
std::string DocumentCaption(const std::string& caption, const std::string& documentPath,
                            bool modified);

// One entry of a save dialog's filter list: the text shown and the pattern it selects.
struct FileFilter {
    std::string text;
    std::string pattern;
};

// The Save As list (one entry) and the Export list: the scene and the include as the program
// always wrote them (their texts start with a space, as it always showed them), the same two in
// the language of POV-Ray 3.7, and the mesh as Wavefront OBJ, binary STL and glTF 2.0 binary.
const std::vector<FileFilter>& SaveAsFilters();
const std::vector<FileFilter>& ExportFilters();

// The list as a wx wildcard string: "text|pattern|text|pattern".
std::string WildcardFor(const std::vector<FileFilter>& filters);

// The save dialogs share one filter index, counted from 1 as the stored value always was; 0
// (the start value) means "the first filter". A stored index beyond the list, left by a dialog
// with more filters, also opens on the first filter.
int DialogIndexFor(int storedIndex, int filterCount);
// The value to store after a dialog closed on the 0-based entry `dialogIndex`.
int StoredIndexFor(int dialogIndex);

// What Export writes for a stored filter index.
enum class ExportKind { None, Scene, Include, Scene37, Include37, Obj, Stl, Glb };
ExportKind ExportKindFor(int storedIndex);
// The extension Export forces for a kind ("pov", "inc", "obj", "stl", "glb"; "" for None).
const char* ExportExtension(ExportKind kind);

// Where Help looks for "ReadMe.txt", in order: the folder of `executable` (cut at its last '/'
// or '\\'), as in a build tree or an unpacked folder; then the documentation folder
// "share/doc/zarni" of the prefix the executable is installed under (the folder above its own,
// as /usr/local for /usr/local/bin/zarni).
std::vector<std::string> HelpFileCandidates(const std::string& executable);
// The first of those for which `exists` is true; the first one when none exists, so the
// desktop's viewer names the file it could not open.
std::string HelpFilePath(const std::string& executable,
                         const std::function<bool(const std::string&)>& exists);

// Whether a command-line argument names a file (anything but an empty token or an option
// starting with '-').
bool IsFileArgument(const std::string& argument);
// An argument as an absolute path: kept when absolute, otherwise joined to `currentDir`;
// "." and ".." steps are resolved by name.
std::string AbsoluteArgument(const std::string& argument, const std::string& currentDir);

// The command-line rule: arguments (the program path not included) are looked at in order;
// each file argument is opened here with `open` while `holdsDocument()` is false (the window
// holds nothing yet: a file that could not be read leaves it so); the first file argument met
// while it is true is handed, with every argument after it, to one new instance
// through `handOn`, and the walk stops. Options are skipped. File arguments are passed on in
// their absolute form, so the new instance finds them whatever its folder.
void HandleCommandLine(const std::vector<std::string>& arguments, const std::string& currentDir,
                       const std::function<bool()>& holdsDocument,
                       const std::function<void(const std::string&)>& open,
                       const std::function<void(const std::vector<std::string>&)>& handOn);

}  // namespace zarni
