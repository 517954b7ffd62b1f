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

// A whole file's bytes, mapped into memory when it is a regular file (no copy is made) and
// read into a buffer otherwise.
class FileBytes {
  public:
    FileBytes() = default;
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    // False with a reason when the file cannot be opened or read.
    bool Open(const std::string& path, std::string* why = nullptr);
    const char* data() const {
        return mapped_ ? static_cast<const char*>(mapped_) : buffer_.data();
    }
    size_t size() const { return mapped_ ? mappedSize_ : buffer_.size(); }

  private:
    void* mapped_ = nullptr;
    size_t mappedSize_ = 0;
    std::string buffer_;
};

// Asks the kernel to back a large, not yet touched block with huge pages, which makes filling
// a big document several times cheaper. A hint only; nothing happens where unsupported.
void AdviseHugePages(const void* data, size_t bytes);

// Reads a whole file into `bytes`. False with a reason when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* why = nullptr);

}  // namespace zarni
