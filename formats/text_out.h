// A buffered text writer for the exporters: text goes into a fixed buffer that is handed, each
// time it fills, to a file or appended to a string.
#pragma once

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace zarni {

// Collects text in a fixed buffer and hands each full buffer to a file or a string. Writers
// ask for room first and then fill the buffer directly, so formatting a number costs no call
// into stdio.
class TextOut {
  public:
    explicit TextOut(std::FILE* file) : file_(file), buffer_(new char[kSize]) {}
    explicit TextOut(std::string* text) : text_(text), buffer_(new char[kSize]) {}

    // A pointer with at least `n` (at most kSize) writable bytes; pass the end to Commit.
    char* Room(size_t n) {
        if (used_ + n > kSize) Flush();
        return buffer_.get() + used_;
    }
    void Commit(char* end) { used_ = static_cast<size_t>(end - buffer_.get()); }

    void Put(const char* s, size_t n) {
        if (n > kSize) {
            Flush();
            Deliver(s, n);
            return;
        }
        char* p = Room(n);
        std::memcpy(p, s, n);
        Commit(p + n);
    }
    void Put(const std::string& s) { Put(s.data(), s.size()); }
    template <size_t N>
    void Literal(const char (&s)[N]) {
        Put(s, N - 1);
    }

    void Flush() {
        Deliver(buffer_.get(), used_);
        used_ = 0;
    }
    bool ok() const { return ok_; }

  private:
    static constexpr size_t kSize = 64 * 1024;

    void Deliver(const char* s, size_t n) {
        if (n == 0) return;
        if (file_ != nullptr) {
            if (std::fwrite(s, 1, n, file_) != n) ok_ = false;
        } else {
            text_->append(s, n);
        }
    }

    std::FILE* file_ = nullptr;
    std::string* text_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    size_t used_ = 0;
    bool ok_ = true;
};

}  // namespace zarni
