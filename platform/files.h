// Whole-file reading and durable replacement of a file: every document, export, recovery copy
// and the settings file is written to a temporary file beside the target, flushed to the disk
// and only then renamed over the old one, so that neither a failed write nor a crash right
// after a save can leave a damaged or empty file where the old one was.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace zarni {

// Calls `write` with a stream open for binary writing on a temporary file in the target's
// folder. When `write` returns true and every byte was written and flushed to the disk
// (fsync), the temporary file replaces `path` and the folder is flushed too; otherwise the
// temporary file is removed and `path` is untouched, byte for byte. Returns false with a
// reason in `why`. `created` (when given) tells whether the temporary file could be created.
//
// When `path` is a symbolic link, the file it points to (following link after link) is
// replaced and the link stays a link; a dangling link gets its target created. The new file
// keeps the old file's permission bits (and its group where the user may set it); a new file
// gets those a plain fopen would give.
//
// A failure to flush the folder after the rename is reported too: the new file is then in
// place, but a crash could still bring the old one back.
bool WriteFileAtomically(const std::string& path, const std::function<bool(std::FILE*)>& write,
                         std::string* why = nullptr, bool* created = nullptr);

// Reads a whole file into `bytes`. False with a reason when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* why = nullptr);

// Failures the writer can be told to meet, so that tests can show what each one leaves
// behind. Each applies to every following write until cleared.
struct WriteFaults {
    int64_t failAfterBytes = -1;   // writing byte number N + 1 fails as a full disk would
    bool failFlush = false;        // flushing the temporary file to the disk fails
    bool failRename = false;       // replacing the target fails
    bool failFolderFlush = false;  // flushing the folder after the rename fails
};
void SetWriteFaultsForTesting(const WriteFaults& faults);

}  // namespace zarni
