// zarni-cli import: an SVG drawing or a line of text in a font, as curve segments of one object
// in a new document.
#pragma once

#include <string>
#include <vector>

namespace zarni::cli {

// The usage lines of the command, for the program's help text.
extern const char kImportUsage[];

// Runs `zarni-cli import IN.svg OUT.zarni [--size S]` or `zarni-cli import --text TEXT
// [--font FONT] [--size S] OUT.zarni` with the arguments after the command name. Returns the
// exit code: 0 written, 1 the input could not be imported or the output written (nothing is
// written then), 2 bad arguments.
int ImportCommand(const std::vector<std::string>& args);

}  // namespace zarni::cli
