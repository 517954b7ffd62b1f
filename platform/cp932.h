// Shift_JIS (code page 932) text, as document names are stored, to and from the UTF-8 of the UI.
#pragma once

#include <cstddef>
#include <string>

namespace zarni {

// UTF-8 for CP932 bytes. Bytes that are not CP932 (an undefined double-byte code, a lead byte
// without its trail byte, or a stray byte) each become U+FFFD; nothing is thrown. A lead byte
// followed by a byte that cannot be a trail byte loses only itself, so the next character
// (often ASCII) survives.
std::string Cp932ToUtf8(const std::string& cp932);

// CP932 bytes for UTF-8 text. A character CP932 lacks, and each byte of malformed UTF-8,
// becomes '?'.
std::string Utf8ToCp932(const std::string& utf8);

// Whether `c` starts a double-byte CP932 character.
bool IsCp932LeadByte(unsigned char c);

// The longest prefix of `s` of at most `maxBytes` bytes that does not cut a double-byte
// character. A lead byte at the very end of `s`, which has no trail byte, is dropped as well.
std::string TruncateCp932(const std::string& s, size_t maxBytes);

}  // namespace zarni
