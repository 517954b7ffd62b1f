// CP932 <-> UTF-8 through glibc iconv, with replacement characters instead of failures.
#include "platform/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <functional>

namespace zarni {

namespace {

// One conversion descriptor per direction and thread: opening one loads a gconv module, too
// slow to repeat for every name an object list redraw converts.
class Iconv {
  public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

  private:
    iconv_t cd_;
};

// Decides what an unconvertible spot of `in` at `pos` becomes: appends the replacement to
// `out` and returns how many input bytes it stands for (at least 1).
using BadInput = std::function<size_t(const std::string& in, size_t pos, std::string& out)>;

std::string Convert(const Iconv& cd, const std::string& in, const BadInput& bad) {
    std::string out;
    out.reserve(in.size() * 3 / 2 + 4);
    size_t pos = 0;
    if (cd.ok()) iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    while (pos < in.size()) {
        if (!cd.ok()) {
            // Without the gconv module only ASCII, which both encodings share, survives.
            const unsigned char c = static_cast<unsigned char>(in[pos]);
            if (c < 0x80) {
                out += in[pos++];
            } else {
                pos += bad(in, pos, out);
            }
            continue;
        }
        char buffer[1024];
        char* inPtr = const_cast<char*>(in.data() + pos);
        size_t inLeft = in.size() - pos;
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft);
        const int err = errno;
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        pos = in.size() - inLeft;
        if (r != static_cast<size_t>(-1) || err == E2BIG) continue;
        // EILSEQ or EINVAL (a character cut off by the end of the input).
        iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
        pos += bad(in, pos, out);
    }
    return out;
}

bool IsCp932TrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

bool InRange(const std::string& s, size_t i, unsigned lo, unsigned hi) {
    if (i >= s.size()) return false;
    const unsigned char c = static_cast<unsigned char>(s[i]);
    return c >= lo && c <= hi;
}

// The length of the well-formed UTF-8 character at `pos`, or 0 when it is malformed.
size_t Utf8CharLength(const std::string& s, size_t pos) {
    const unsigned char c = static_cast<unsigned char>(s[pos]);
    if (c < 0x80) return 1;
    size_t length;
    unsigned lo = 0x80, hi = 0xBF;  // the allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) lo = 0xA0;  // overlong
        if (c == 0xED) hi = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) lo = 0x90;  // overlong
        if (c == 0xF4) hi = 0x8F;  // beyond U+10FFFF
    } else {
        return 0;
    }
    if (!InRange(s, pos + 1, lo, hi)) return 0;
    for (size_t i = 2; i < length; ++i) {
        if (!InRange(s, pos + i, 0x80, 0xBF)) return 0;
    }
    return length;
}

}  // namespace

bool IsCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::string Cp932ToUtf8(const std::string& cp932) {
    thread_local const Iconv cd("UTF-8", "CP932");
    return Convert(cd, cp932, [](const std::string& in, size_t pos, std::string& out) -> size_t {
        out += "\xEF\xBF\xBD";  // U+FFFD
        const bool pair = IsCp932LeadByte(static_cast<unsigned char>(in[pos])) &&
                          pos + 1 < in.size() &&
                          IsCp932TrailByte(static_cast<unsigned char>(in[pos + 1]));
        return pair ? 2 : 1;
    });
}

std::string Utf8ToCp932(const std::string& utf8) {
    thread_local const Iconv cd("CP932", "UTF-8");
    return Convert(cd, utf8, [](const std::string& in, size_t pos, std::string& out) -> size_t {
        out += '?';
        const size_t length = Utf8CharLength(in, pos);
        return length == 0 ? 1 : length;
    });
}

std::string TruncateCp932(const std::string& s, size_t maxBytes) {
    size_t end = 0;
    while (end < s.size()) {
        const size_t length = IsCp932LeadByte(static_cast<unsigned char>(s[end])) ? 2 : 1;
        if (end + length > s.size() || end + length > maxBytes) break;
        end += length;
    }
    return s.substr(0, end);
}

}  // namespace zarni
