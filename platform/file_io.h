// Reading files of any size, and (through platform/files.h) the durable writer that every
// document, export and recovery copy is saved with.
#pragma once

#include <cstddef>
#include <string>

#include "platform/files.h"

namespace zarni {

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

}  // namespace zarni
