// Safe file writing and whole-file reading.
#include "model/file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zarni {

namespace {

std::string ErrnoText() {
    return std::strerror(errno);
}

void SetWhy(std::string* why, const std::string& text) {
    if (why) *why = text;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::function<bool(std::FILE*)>& write,
                         std::string* why, bool* created) {
    if (created) *created = false;
    if (path.empty()) {
        SetWhy(why, "no file name");
        return false;
    }
    std::vector<char> tmpl(path.begin(), path.end());
    const char suffix[] = ".tmpXXXXXX";
    tmpl.insert(tmpl.end(), suffix, suffix + sizeof suffix);  // with its NUL
    const int fd = mkstemp(tmpl.data());
    if (fd < 0) {
        SetWhy(why, "cannot create " + path + ": " + ErrnoText());
        return false;
    }
    if (created) *created = true;
    const std::string tmpPath(tmpl.data());
    std::FILE* f = fdopen(fd, "wb");
    if (f == nullptr) {
        SetWhy(why, "cannot write " + path + ": " + ErrnoText());
        close(fd);
        unlink(tmpPath.c_str());
        return false;
    }
    // mkstemp makes the file private; give it the permissions a plain fopen would, or keep
    // those of the file it replaces.
    struct stat old;
    if (stat(path.c_str(), &old) == 0) {
        fchmod(fd, old.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    bool ok = write(f);
    if (std::fflush(f) != 0 || std::ferror(f)) ok = false;
    const int writeErrno = errno;
    if (std::fclose(f) != 0) ok = false;
    if (!ok) {
        errno = writeErrno;
        SetWhy(why, "cannot write " + path + ": " + ErrnoText());
        unlink(tmpPath.c_str());
        return false;
    }
    if (std::rename(tmpPath.c_str(), path.c_str()) != 0) {
        SetWhy(why, "cannot replace " + path + ": " + ErrnoText());
        unlink(tmpPath.c_str());
        return false;
    }
    return true;
}

FileBytes::~FileBytes() {
    if (mapped_) munmap(mapped_, mappedSize_);
}

bool FileBytes::Open(const std::string& path, std::string* why) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetWhy(why, "cannot open " + path + ": " + ErrnoText());
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        void* p = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ,
                       MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (p != MAP_FAILED) {
            close(fd);
            mapped_ = p;
            mappedSize_ = static_cast<size_t>(st.st_size);
            return true;
        }
    }
    close(fd);
    return ReadWholeFile(path, buffer_, why);
}

void AdviseHugePages(const void* data, size_t bytes) {
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t kHuge = uintptr_t{2} << 20;
    if (bytes < 2 * kHuge) return;
    const auto begin = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const auto end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHuge - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* why) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        SetWhy(why, "cannot open " + path + ": " + ErrnoText());
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
