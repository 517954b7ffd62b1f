// Recovery copies: named after the writing process, found again when that process is gone.
#include "rules/recovery.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "formats/native_file.h"
#include "platform/file_io.h"

namespace zarni {

namespace {

constexpr const char* kPrefix = "recovery-";
constexpr const char* kSuffix = ".zarni";

bool MakeFolders(const std::string& folder) {
    std::string path;
    size_t start = 0;
    while (start <= folder.size()) {
        const size_t slash = folder.find('/', start);
        path = folder.substr(0, slash == std::string::npos ? folder.size() : slash);
        if (!path.empty() && mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    struct stat st;
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string RecoveryFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/') return std::string(state) + "/zarni";
    const char* home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/.local/state/zarni";
    return {};
}

std::string RecoveryFile(const std::string& folder, int64_t pid) {
    return folder + "/" + kPrefix + std::to_string(pid) + kSuffix;
}

std::string RecoveryPathFile(const std::string& recoveryFile) {
    const size_t dot = recoveryFile.rfind('.');
    return (dot == std::string::npos ? recoveryFile : recoveryFile.substr(0, dot)) + ".path";
}

int64_t RecoveryPid(const std::string& fileName) {
    const size_t prefix = std::strlen(kPrefix), suffix = std::strlen(kSuffix);
    if (fileName.size() <= prefix + suffix || fileName.compare(0, prefix, kPrefix) != 0 ||
        fileName.compare(fileName.size() - suffix, suffix, kSuffix) != 0) {
        return -1;
    }
    const std::string digits = fileName.substr(prefix, fileName.size() - prefix - suffix);
    if (digits.empty() || digits.size() > 10 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    return std::strtoll(digits.c_str(), nullptr, 10);
}

std::string RecoveredPicturesBeside(const RecoveryCopy& copy) {
    return copy.documentPath.empty() ? copy.file : copy.documentPath;
}

bool ProgramRunning(int64_t pid) {
    if (pid <= 0) return false;
    // A process id given to another program since keeps its copy waiting until that one
    // ends too: a copy is never offered while its writer might still be running.
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

std::vector<RecoveryCopy> OrphanedRecoveries(const std::string& folder,
                                             const std::function<bool(int64_t)>& running) {
    std::vector<RecoveryCopy> copies;
    DIR* dir = folder.empty() ? nullptr : opendir(folder.c_str());
    if (!dir) return copies;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        const int64_t pid = RecoveryPid(name);
        if (pid < 0 || running(pid)) continue;
        RecoveryCopy copy;
        copy.file = folder + "/" + name;
        copy.pid = pid;
        struct stat st;
        if (stat(copy.file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        copy.modifiedTime = static_cast<int64_t>(st.st_mtime);
        std::string path;
        if (ReadWholeFile(RecoveryPathFile(copy.file), path)) copy.documentPath = path;
        copies.push_back(copy);
    }
    closedir(dir);
    std::sort(copies.begin(), copies.end(), [](const RecoveryCopy& a, const RecoveryCopy& b) {
        return a.modifiedTime != b.modifiedTime ? a.modifiedTime > b.modifiedTime : a.pid > b.pid;
    });
    return copies;
}

bool WriteRecovery(const Document& doc, const std::string& documentPath, const std::string& folder,
                   int64_t pid, std::string* why) {
    if (folder.empty() || !MakeFolders(folder)) {
        if (why) *why = "no folder for recovery copies: " + folder;
        return false;
    }
    const std::string file = RecoveryFile(folder, pid);
    // The path first: a copy without its path file still restores, as a new document.
    const bool pathWritten = WriteFileAtomically(
        RecoveryPathFile(file),
        [&](std::FILE* f) {
            return std::fwrite(documentPath.data(), 1, documentPath.size(), f) ==
                   documentPath.size();
        },
        why);
    if (!pathWritten) return false;
    return WriteDocumentFile(doc, file, why) == kFileOk;
}

void RemoveRecovery(const std::string& recoveryFile) {
    std::remove(recoveryFile.c_str());
    std::remove(RecoveryPathFile(recoveryFile).c_str());
}

}  // namespace zarni
