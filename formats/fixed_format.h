// Fast exact printf "%3.3f" / "% 3.3f" of floats and "%03d" of integers for the text exporter.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace zarni {

// Room that one WriteFixed3 call may fill: FLT_MAX has 39 integer digits, plus sign and ".000".
constexpr size_t kFixed3MaxChars = 48;
// Room for one WriteInt03 call: sign and ten digits.
constexpr size_t kInt03MaxChars = 12;

namespace fixed_detail {

// printf itself, for NaN, infinities and magnitudes whose thousandths do not fit 64 bits.
char* WriteFixed3Slow(char* out, float v, bool spaceSign);

// "00" to "99" back to back.
extern const std::array<char, 200> kDigitPairs;
// ".000" to ".999" back to back: the whole fraction of a "%3.3f" number in one copy.
extern const std::array<char, 4000> kDotFractions;

// Decimal digits of v, no padding.
inline char* WriteUnsigned(char* out, uint64_t v) {
    char tmp[20];
    char* p = tmp + sizeof tmp;
    while (v >= 100) {
        const unsigned pair = static_cast<unsigned>(v % 100) * 2;
        v /= 100;
        p -= 2;
        std::memcpy(p, kDigitPairs.data() + pair, 2);
    }
    if (v >= 10) {
        p -= 2;
        std::memcpy(p, kDigitPairs.data() + v * 2, 2);
    } else {
        *--p = static_cast<char>('0' + v);
    }
    const size_t n = static_cast<size_t>(tmp + sizeof tmp - p);
    std::memcpy(out, p, n);
    return out + n;
}

}  // namespace fixed_detail

// Writes the bytes printf("%3.3f", (double)v) gives ("% 3.3f" when spaceSign: a space in place
// of the sign of non-negative values) at `out`, without a terminating NUL; returns the end.
// A float times 1000 is exact in a double (24 + 10 significant bits), so rounding that product
// to an integer, half to even, is exactly the rounding glibc applies to the decimal expansion.
// The sign of values that round to zero ("-0.000") is kept as glibc keeps it.
inline char* WriteFixed3(char* out, float v, bool spaceSign = false) {
    const double scaled = static_cast<double>(v) * 1000.0;
    const double magnitude = std::fabs(scaled);
    // Adding and removing 2^52 leaves no fraction bits, so the addition itself rounds to an
    // integer in the default rounding mode; a libm call per number would cost more than the
    // rest of the formatting. (Assumes IEEE arithmetic: no -ffast-math for this file.)
    constexpr double kTwo52 = 4503599627370496.0;
    constexpr double kTwo63 = 9223372036854775808.0;
    uint64_t n;
    if (magnitude < kTwo52) {
        n = static_cast<uint64_t>((magnitude + kTwo52) - kTwo52);
    } else if (magnitude < kTwo63) {
        n = static_cast<uint64_t>(magnitude);  // already an integer
    } else {
        return fixed_detail::WriteFixed3Slow(out, v, spaceSign);  // also NaN
    }
    const bool negative = std::signbit(scaled);
    if (spaceSign) {
        *out++ = negative ? '-' : ' ';
    } else {
        // Signs of coordinates are random, so no branch for them.
        *out = '-';
        out += negative;
    }
    unsigned frac;
    if (n < 10000) {  // the usual case, one integer digit, in 32-bit arithmetic
        const unsigned small = static_cast<unsigned>(n);
        const unsigned whole = small / 1000;
        frac = small - whole * 1000;
        *out++ = static_cast<char>('0' + whole);
    } else {
        const uint64_t whole = n / 1000;
        frac = static_cast<unsigned>(n - whole * 1000);
        out = fixed_detail::WriteUnsigned(out, whole);
    }
    std::memcpy(out, fixed_detail::kDotFractions.data() + frac * 4, 4);
    return out + 4;
}

// Writes the bytes printf("%03d", v) gives at `out`, without a NUL; returns the end.
inline char* WriteInt03(char* out, int32_t v) {
    uint64_t magnitude = static_cast<uint64_t>(v < 0 ? -static_cast<int64_t>(v) : v);
    if (v < 0) {
        *out++ = '-';
        // The sign takes one of the three places of the field width.
        if (magnitude < 10) *out++ = '0';
    } else if (magnitude < 10) {
        *out++ = '0';
        *out++ = '0';
    } else if (magnitude < 100) {
        *out++ = '0';
    }
    return fixed_detail::WriteUnsigned(out, magnitude);
}

// String forms of the two writers, for callers that are not on a hot path.
std::string Fixed3(float v, bool spaceSign = false);
std::string Int03(int32_t v);

}  // namespace zarni
