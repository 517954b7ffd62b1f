// zarni-cli render: a document drawn offscreen the way a view draws it, written as a PNG file.
#pragma once

#include <string>
#include <vector>

namespace zarni::cli {

// The usage lines of the command, for the program's help text.
extern const char kRenderUsage[];

// Runs `zarni-cli render DOC OUT.png [--size WxH] [--view NAME] [--mode wire|shaded]` with
// the arguments after the command name. Problems go to stderr; returns the process exit code
// (0 written, 1 the document or the picture failed, 2 bad arguments).
int RenderCommand(const std::vector<std::string>& args);

}  // namespace zarni::cli
