// Whole-file reading and durable replacement of a file.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zarni {

namespace {

WriteFaults g_faults;

std::string ErrnoText(int error) {
    return std::strerror(error);
}

void SetWhy(std::string* why, const std::string& text) {
    if (why) *why = text;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The file a save onto `path` must replace: the end of the chain of symbolic links that starts
// there (replacing the link itself would turn it into a plain file). `path` itself when it is
// not a link or does not exist. False with errno set for a loop or an unreadable link.
bool FinalTarget(const std::string& path, std::string& target) {
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::vector<char> buffer(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        for (;;) {
            const ssize_t n = readlink(target.c_str(), buffer.data(), buffer.size());
            if (n < 0) return false;
            if (static_cast<size_t>(n) < buffer.size()) {
                std::string next(buffer.data(), static_cast<size_t>(n));
                if (next.empty()) {
                    errno = ENOENT;
                    return false;
                }
                if (next[0] != '/') next = FolderOf(target) + "/" + next;
                target = std::move(next);
                break;
            }
            buffer.resize(buffer.size() * 2);  // the link changed while we looked
        }
    }
    errno = ELOOP;
    return false;
}

// The temporary file's stream: every byte goes straight to the descriptor with write(2), so
// that the stream's buffer is the only one and a failed write shows as a stream error. The
// injected byte limit acts here, where a full disk would.
struct Sink {
    int fd;
    int64_t written;
    int64_t limit;         // -1: none
    int64_t handedOn = 0;  // bytes whose writing to the disk has been started
};

// Every this many bytes the disk is set to write what came so far, so that a large file is
// mostly on the disk by the time it is flushed (and the page cache never holds much of it
// unwritten, which makes the kernel slow the writer down).
constexpr int64_t kWriteBehindBytes = int64_t{8} << 20;

ssize_t SinkWrite(void* cookie, const char* data, size_t size) {
    Sink& sink = *static_cast<Sink*>(cookie);
    size_t allowed = size;
    bool full = false;
    if (sink.limit >= 0 && sink.written + static_cast<int64_t>(size) > sink.limit) {
        allowed = static_cast<size_t>(sink.limit - sink.written);
        full = true;
    }
    size_t done = 0;
    while (done < allowed) {
        const ssize_t n = ::write(sink.fd, data + done, allowed - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            sink.written += static_cast<int64_t>(done);
            return static_cast<ssize_t>(done);  // short: the stream records an error
        }
        done += static_cast<size_t>(n);
    }
    sink.written += static_cast<int64_t>(done);
    if (sink.written - sink.handedOn >= kWriteBehindBytes) {
        // Only a start: the flush before the rename still waits for every byte and reports
        // any failure.
        const int error = errno;
        sync_file_range(sink.fd, sink.handedOn, sink.written - sink.handedOn,
                        SYNC_FILE_RANGE_WRITE);
        errno = error;
        sink.handedOn = sink.written;
    }
    if (full) {
        errno = ENOSPC;
        return static_cast<ssize_t>(done);
    }
    return static_cast<ssize_t>(size);
}

int SinkClose(void*) {
    return 0;  // the descriptor is closed by the writer, after it was flushed to the disk
}

// Gives the temporary file the permissions the target has, or those a plain fopen would give
// a new file (mkstemp makes it private).
void TakePermissions(int fd, const std::string& target) {
    struct stat old;
    if (stat(target.c_str(), &old) == 0) {
        fchmod(fd, old.st_mode & 07777);
        struct stat now;
        if (fstat(fd, &now) == 0 && (now.st_gid != old.st_gid || now.st_uid != old.st_uid)) {
            // Only the group can be given back unless we are the superuser; a failure keeps
            // ours, as any editor would.
            const uid_t owner = geteuid() == 0 ? old.st_uid : static_cast<uid_t>(-1);
            if (fchown(fd, owner, old.st_gid) != 0) {
            }
            // Changing the owner may clear set-id bits; set the mode once more.
            fchmod(fd, old.st_mode & 07777);
        }
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
}

bool FlushFolder(const std::string& folder, int& error) {
    if (g_faults.failFolderFlush) {
        error = EIO;
        return false;
    }
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    bool ok = fsync(fd) == 0;
    // Some file systems cannot flush a folder at all; their renames are as durable as they get.
    if (!ok && (errno == EINVAL || errno == ENOTSUP)) ok = true;
    error = errno;
    close(fd);
    return ok;
}

}  // namespace

void SetWriteFaultsForTesting(const WriteFaults& faults) {
    g_faults = faults;
}

bool WriteFileAtomically(const std::string& path, const std::function<bool(std::FILE*)>& write,
                         std::string* why, bool* created) {
    if (created) *created = false;
    if (path.empty()) {
        SetWhy(why, "no file name");
        return false;
    }
    std::string target;
    if (!FinalTarget(path, target)) {
        SetWhy(why, "cannot follow the link " + path + ": " + ErrnoText(errno));
        return false;
    }
    std::vector<char> tmpl(target.begin(), target.end());
    const char suffix[] = ".tmpXXXXXX";
    tmpl.insert(tmpl.end(), suffix, suffix + sizeof suffix);  // with its NUL
    const int fd = mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0) {
        SetWhy(why, "cannot create " + path + ": " + ErrnoText(errno));
        return false;
    }
    if (created) *created = true;
    const std::string tmpPath(tmpl.data());
    auto fail = [&](const std::string& what, int error) {
        SetWhy(why, what + " " + path + ": " + ErrnoText(error));
        close(fd);
        unlink(tmpPath.c_str());
        return false;
    };
    TakePermissions(fd, target);

    Sink sink{fd, 0, g_faults.failAfterBytes};
    std::FILE* f = fopencookie(&sink, "wb", {nullptr, SinkWrite, nullptr, SinkClose});
    if (f == nullptr) return fail("cannot write", errno);
    std::setvbuf(f, nullptr, _IOFBF, 1 << 16);
    errno = 0;
    bool ok = write(f);
    int error = errno;
    if (std::fflush(f) != 0 || std::ferror(f)) {
        ok = false;
        error = errno;
    }
    std::fclose(f);  // closes the stream only
    if (!ok) return fail("cannot write", error != 0 ? error : EIO);
    if (g_faults.failFlush) return fail("cannot flush", EIO);
    if (fsync(fd) != 0) return fail("cannot flush", errno);
    if (close(fd) != 0) {
        error = errno;
        unlink(tmpPath.c_str());
        SetWhy(why, "cannot write " + path + ": " + ErrnoText(error));
        return false;
    }
    if (g_faults.failRename || std::rename(tmpPath.c_str(), target.c_str()) != 0) {
        error = g_faults.failRename ? EIO : errno;
        unlink(tmpPath.c_str());
        SetWhy(why, "cannot replace " + path + ": " + ErrnoText(error));
        return false;
    }
    if (!FlushFolder(FolderOf(target), error)) {
        SetWhy(why, "written, but the folder of " + path +
                        " could not be flushed to the disk: " + ErrnoText(error));
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* why) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        SetWhy(why, "cannot open " + path + ": " + ErrnoText(errno));
        return false;
    }
    bytes.clear();
    struct stat st;
    if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        bytes.resize(static_cast<size_t>(st.st_size));
        const size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
        bytes.resize(got);
    }
    // Whatever is left (a pipe, or a file that grew) is read in pieces.
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, got);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        SetWhy(why, "cannot read " + path);
        return false;
    }
    return true;
}

}  // namespace zarni
