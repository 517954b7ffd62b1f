// Recovery copies of changed documents: where they live, how they are named after the process
// that wrote them, and which ones were left behind by a program that is no longer running.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/document.h"

namespace zarni {

// Seconds between two recovery copies of a changed document.
constexpr int kRecoveryIntervalSeconds = 120;

// $XDG_STATE_HOME/zarni, or ~/.local/state/zarni when it is not set (an empty string when
// neither gives a folder).
std::string RecoveryFolder();

// The copy a process keeps: "recovery-PID.zarni" in `folder`; beside it "recovery-PID.path"
// holds the path of the document it was made from (empty for a new document).
std::string RecoveryFile(const std::string& folder, int64_t pid);
std::string RecoveryPathFile(const std::string& recoveryFile);

// The process id in a recovery file's name, or -1 when the name is not one.
int64_t RecoveryPid(const std::string& fileName);

struct RecoveryCopy {
    std::string file;          // the recovery copy
    std::string documentPath;  // where the document came from, empty for a new one
    int64_t pid = -1;
    int64_t modifiedTime = 0;  // seconds since the epoch
};

// Where a restored copy's background pictures are looked for when their stored paths are gone:
// beside the document it was made from, as when that document is opened (beside the copy only
// for a document that never had a file).
std::string RecoveredPicturesBeside(const RecoveryCopy& copy);

// The copies in `folder` whose writer is not running (as `running` tells), newest first.
std::vector<RecoveryCopy> OrphanedRecoveries(const std::string& folder,
                                             const std::function<bool(int64_t)>& running);

// Whether a process with that id is running (it may be the program that wrote the copy).
bool ProgramRunning(int64_t pid);

// Writes the document to the process's recovery copy (atomically, the folder made when
// missing) with the document's path beside it. False with a reason when it could not.
bool WriteRecovery(const Document& doc, const std::string& documentPath, const std::string& folder,
                   int64_t pid, std::string* why);

// Removes a recovery copy and its path file.
void RemoveRecovery(const std::string& recoveryFile);

}  // namespace zarni
