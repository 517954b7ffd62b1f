// Shift_JIS names: conversion both ways, replacement of what cannot convert, safe truncation.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "platform/cp932.h"

namespace zarni {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Whether `s` is well-formed UTF-8, by glibc's strict decoder.
bool IsUtf8(const std::string& s) {
    const iconv_t cd = iconv_open("UTF-32LE", "UTF-8");
    std::string out(s.size() * 4, '\0');
    char* in = const_cast<char*>(s.data());
    size_t inLeft = s.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const bool ok = iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    return ok;
}

TEST(Cp932, JapaneseNamesRoundTrip) {
    struct Case {
        const char* utf8;
        const char* cp932;
    };
    const Case cases[] = {
        {"オブジェクト", "\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67"},
        {"ｱｲｳｴｵ", "\xB1\xB2\xB3\xB4\xB5"},
        {"表", "\x95\x5C"},  // the trail byte is a backslash
        {"OBJ_表示\\1", "OBJ_\x95\x5C\x8E\xA6\\1"},
        {"ﾃｽﾄ円", "\xC3\xBD\xC4\x89\x7E"},  // the trail byte is a tilde
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << c.utf8;
        EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8) << c.utf8;
    }
}

TEST(Cp932, EveryDecodableCharacterEncodesToTheSameText) {
    // Duplicate codes (the NEC and IBM extension copies) may encode to their twin, but the
    // text must survive the trip.
    int decoded = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsCp932LeadByte(static_cast<unsigned char>(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string utf8 = Cp932ToUtf8(bytes);
            if (utf8.find(kReplacement) != std::string::npos) continue;
            ++decoded;
            ASSERT_EQ(Cp932ToUtf8(Utf8ToCp932(utf8)), utf8) << lead << " " << trail;
        }
    }
    EXPECT_GT(decoded, 7000);
}

TEST(Cp932, CharactersCp932LacksBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80"
                          "b"),
              "a?b");  // an emoji
    EXPECT_EQ(Utf8ToCp932("한국"), "??");
    EXPECT_EQ(Utf8ToCp932("caf\xC3\xA9"), "caf?");
    // Malformed UTF-8: one '?' a byte.
    EXPECT_EQ(Utf8ToCp932("\xFF"
                          "a"),
              "?a");
    EXPECT_EQ(Utf8ToCp932("a\xE3\x81"), "a??");  // cut off at the end
    EXPECT_EQ(Utf8ToCp932("\xED\xA0\x80"
                          "x"),
              "???x");                         // a surrogate
    EXPECT_EQ(Utf8ToCp932("\xC0\xAF"), "??");  // overlong '/'
    EXPECT_EQ(Utf8ToCp932("\xE3\x82"
                          "ア"),
              "??\x83\x41");
}

TEST(Cp932, BytesThatAreNotCp932BecomeReplacementCharacters) {
    EXPECT_EQ(Cp932ToUtf8("A\x81"), "A" + kReplacement);  // lead byte at the end
    EXPECT_EQ(Cp932ToUtf8("\x81\n"
                          "B"),
              kReplacement + "\nB");  // no trail byte after it
    EXPECT_EQ(Cp932ToUtf8("\x85\x40"
                          "C"),
              kReplacement + "C");  // an unassigned code
    EXPECT_EQ(Cp932ToUtf8("\xFF\xFD"
                          "D"),
              kReplacement + kReplacement + "D");
    EXPECT_EQ(Cp932ToUtf8(std::string("\0\x82\xA0", 3)), std::string("\0", 1) + "あ");

    // No pair of bytes breaks the decoder or makes it emit malformed UTF-8, and a line end
    // after them, which no character can end with, always survives.
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string bytes{static_cast<char>(a), static_cast<char>(b), '\n'};
            const std::string utf8 = Cp932ToUtf8(bytes);
            ASSERT_TRUE(IsUtf8(utf8)) << a << " " << b;
            ASSERT_EQ(utf8.back(), '\n') << a << " " << b;
        }
    }
}

TEST(Cp932, LeadBytes) {
    for (int c = 0; c < 256; ++c) {
        const bool expected = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        EXPECT_EQ(IsCp932LeadByte(static_cast<unsigned char>(c)), expected) << c;
    }
}

TEST(Cp932, TruncationNeverCutsACharacter) {
    // a | オ | b | ｱ | 表 | c : characters end after 1, 3, 4, 5, 7 and 8 bytes.
    const std::string mixed = Utf8ToCp932("aオbｱ表c");
    ASSERT_EQ(mixed.size(), 8u);
    const size_t expected[] = {0, 1, 1, 3, 4, 5, 5, 7, 8, 8, 8};
    for (size_t n = 0; n < sizeof expected / sizeof expected[0]; ++n) {
        const std::string cut = TruncateCp932(mixed, n);
        EXPECT_EQ(cut, mixed.substr(0, expected[n])) << n;
        EXPECT_EQ(Cp932ToUtf8(cut).find(kReplacement), std::string::npos) << n;
    }
    // A lone lead byte at the end has no character to keep.
    EXPECT_EQ(TruncateCp932("ab\x83", 10), "ab");
    EXPECT_EQ(TruncateCp932("ab\x83", 3), "ab");
    // A trail byte in the ASCII range is never taken for a character of its own.
    EXPECT_EQ(TruncateCp932("\x95\x5C\x95\x5C", 3), "\x95\x5C");
}

}  // namespace
}  // namespace zarni
