// The printf fallback and the digit table behind the fast "%3.3f" and "%03d" writers.
#include "formats/fixed_format.h"

#include <algorithm>
#include <cstdio>

namespace zarni {

namespace fixed_detail {

namespace {

constexpr std::array<char, 200> MakeDigitPairs() {
    std::array<char, 200> t{};
    for (int i = 0; i < 100; ++i) {
        t[i * 2] = static_cast<char>('0' + i / 10);
        t[i * 2 + 1] = static_cast<char>('0' + i % 10);
    }
    return t;
}

constexpr std::array<char, 4000> MakeDotFractions() {
    std::array<char, 4000> t{};
    for (int i = 0; i < 1000; ++i) {
        t[i * 4] = '.';
        t[i * 4 + 1] = static_cast<char>('0' + i / 100);
        t[i * 4 + 2] = static_cast<char>('0' + i / 10 % 10);
        t[i * 4 + 3] = static_cast<char>('0' + i % 10);
    }
    return t;
}

}  // namespace

const std::array<char, 200> kDigitPairs = MakeDigitPairs();
const std::array<char, 4000> kDotFractions = MakeDotFractions();

char* WriteFixed3Slow(char* out, float v, bool spaceSign) {
    char text[kFixed3MaxChars + 16];
    const int n =
        std::snprintf(text, sizeof text, spaceSign ? "% 3.3f" : "%3.3f", static_cast<double>(v));
    // Every float fits; the clamp only guards the copy should that ever change.
    const size_t len = n < 0 ? 0 : std::min(static_cast<size_t>(n), kFixed3MaxChars);
    std::memcpy(out, text, len);
    return out + len;
}

}  // namespace fixed_detail

std::string Fixed3(float v, bool spaceSign) {
    char text[kFixed3MaxChars];
    return std::string(text, WriteFixed3(text, v, spaceSign));
}

std::string Int03(int32_t v) {
    char text[kInt03MaxChars];
    return std::string(text, WriteInt03(text, v));
}

}  // namespace zarni
