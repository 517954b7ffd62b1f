// The fast "%3.3f", "% 3.3f" and "%03d" writers give exactly the bytes of glibc's printf.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "formats/fixed_format.h"

namespace zarni {
namespace {

std::string Printf(const char* format, double v) {
    char text[512];
    const int n = std::snprintf(text, sizeof text, format, v);
    return std::string(text, static_cast<size_t>(n));
}

std::string PrintfInt(int32_t v) {
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%03d", v);
    return std::string(text, static_cast<size_t>(n));
}

// Both flag forms against printf; returns false (with a message) on the first difference so
// that loops over millions of values stop at the first bad one.
::testing::AssertionResult SameAsPrintf(float v) {
    const std::string plain = Printf("%3.3f", static_cast<double>(v));
    const std::string spaced = Printf("% 3.3f", static_cast<double>(v));
    if (Fixed3(v) != plain) {
        return ::testing::AssertionFailure()
               << "value " << Printf("%.9g", v) << ": got " << Fixed3(v) << ", printf " << plain;
    }
    if (Fixed3(v, true) != spaced) {
        return ::testing::AssertionFailure() << "value " << Printf("%.9g", v) << " (space): got "
                                             << Fixed3(v, true) << ", printf " << spaced;
    }
    // The writer must stay inside the room it promises.
    if (plain.size() > kFixed3MaxChars || spaced.size() > kFixed3MaxChars) {
        return ::testing::AssertionFailure() << "text longer than kFixed3MaxChars";
    }
    return ::testing::AssertionSuccess();
}

TEST(FixedFormat, RandomBitPatternsMatchPrintf) {
    // Every exponent, denormals, NaNs and infinities turn up among uniform bit patterns.
    std::mt19937 rng(20240611);
    for (int i = 0; i < 200000; ++i) {
        const uint32_t bits = rng();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        ASSERT_TRUE(SameAsPrintf(v));
    }
}

TEST(FixedFormat, ModellingRangeMatchesPrintf) {
    // Coordinates as the modeller produces them: thousandths, hundredths of thousandths and
    // arbitrary floats within a few hundred units, where every rounding decision is made.
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> any(-500.0f, 500.0f);
    std::uniform_int_distribution<int32_t> steps(-2000000, 2000000);
    for (int i = 0; i < 200000; ++i) {
        ASSERT_TRUE(SameAsPrintf(any(rng)));
        ASSERT_TRUE(SameAsPrintf(static_cast<float>(steps(rng)) / 1000.0f));
        ASSERT_TRUE(SameAsPrintf(static_cast<float>(steps(rng)) / 100000.0f));
    }
}

TEST(FixedFormat, ExactHalvesRoundToEven) {
    // (2j+1)/16 times 1000 ends in exactly .5: the cases a round-half-up formatter gets wrong.
    for (int32_t j = -50000; j <= 50000; ++j) {
        ASSERT_TRUE(SameAsPrintf(static_cast<float>(2 * j + 1) / 16.0f));
    }
    EXPECT_EQ(Fixed3(0.0625f), "0.062");
    EXPECT_EQ(Fixed3(0.1875f), "0.188");
    EXPECT_EQ(Fixed3(-0.0625f), "-0.062");
    // 0.0005 is not a float; the nearest one lies above the half.
    EXPECT_TRUE(SameAsPrintf(0.0005f));
    EXPECT_TRUE(SameAsPrintf(-0.0005f));
    EXPECT_TRUE(SameAsPrintf(0.0015f));
    EXPECT_TRUE(SameAsPrintf(2.0005f));
}

TEST(FixedFormat, SignOfZeroIsKept) {
    EXPECT_EQ(Fixed3(0.0f), "0.000");
    EXPECT_EQ(Fixed3(-0.0f), "-0.000");
    EXPECT_EQ(Fixed3(-0.0004f), "-0.000");
    EXPECT_EQ(Fixed3(0.0004f), "0.000");
    EXPECT_EQ(Fixed3(-std::numeric_limits<float>::denorm_min()), "-0.000");
    EXPECT_EQ(Fixed3(0.0f, true), " 0.000");
    EXPECT_EQ(Fixed3(-0.0f, true), "-0.000");
    EXPECT_EQ(Fixed3(0.5f, true), " 0.500");
}

TEST(FixedFormat, LargeMagnitudesAndSpecialValuesMatchPrintf) {
    // Every power of two with its neighbours crosses the 2^52 and 2^63 thousandths bounds of
    // the integer paths and reaches FLT_MAX.
    for (int e = -30; e <= 127; ++e) {
        const float p = std::ldexp(1.0f, e);
        for (float v : {p, std::nextafter(p, 0.0f), std::nextafter(p, HUGE_VALF)}) {
            ASSERT_TRUE(SameAsPrintf(v));
            ASSERT_TRUE(SameAsPrintf(-v));
        }
    }
    for (float v :
         {4503599627370.496f, 9223372036854775.808f, 9.9999e15f, 1.0e16f, 12345.678f, 999999.9f,
          std::numeric_limits<float>::max(), std::numeric_limits<float>::infinity(),
          std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::min()}) {
        ASSERT_TRUE(SameAsPrintf(v));
        ASSERT_TRUE(SameAsPrintf(-v));
    }
}

TEST(FixedFormat, WriterAppendsWithoutTerminator) {
    char text[2 * kFixed3MaxChars];
    std::memset(text, '#', sizeof text);
    char* end = WriteFixed3(text, 1.5f);
    end = WriteFixed3(end, -2.25f, true);
    EXPECT_EQ(std::string(text, end), "1.500-2.250");
    EXPECT_EQ(*end, '#');
}

TEST(FixedFormat, ThreeDigitIntegersMatchPrintf) {
    for (int32_t v = -1200; v <= 120000; ++v)
        ASSERT_EQ(Int03(v), PrintfInt(v)) << v;
    std::mt19937 rng(3);
    for (int i = 0; i < 100000; ++i) {
        const auto v = static_cast<int32_t>(rng());
        ASSERT_EQ(Int03(v), PrintfInt(v)) << v;
    }
    for (int32_t v : {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
        EXPECT_EQ(Int03(v), PrintfInt(v));
        EXPECT_LE(Int03(v).size(), kInt03MaxChars);
    }
}

}  // namespace
}  // namespace zarni
