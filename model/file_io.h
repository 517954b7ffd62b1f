// Safe file writing: a document or export is written to a temporary file beside the target and
// renamed over it only when every byte reached the disk, so a failed save never destroys the
// previous file.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace zarni {

// Calls `write` with a stream open for binary writing on a temporary file in the target's
// folder. When `write` returns true and no stream error occurred, the temporary file replaces
// `path`; otherwise it is removed and `path` is untouched. Returns false with a reason in `why`.
// `created` (when given) tells whether the temporary file could be created at all.
bool WriteFileAtomically(const std::string& path, const std::function<bool(std::FILE*)>& write,
                         std::string* why = nullptr, bool* created = nullptr);

// Reads a whole file into `bytes`. False with a reason when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* why = nullptr);

}  // namespace zarni
