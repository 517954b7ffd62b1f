// Picture conversions: blank pictures, palette pictures at 24 bits, the stretch maps and scan
// lines of previews, and the top-down RGB pixels of background pictures.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "formats/bitmap.h"

namespace zarni {
namespace {

// A 24-bit picture whose pixel at column x, row y from the top is (blue x, green y, red 7).
BitmapImage Gradient(int32_t width, int32_t height) {
    BitmapImage image = CreateBlankBitmap(width, height);
    const size_t rowBytes = BitmapRowBytes(width, 24);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = &image.pixels[rowBytes * (height - 1 - y)];
        for (int32_t x = 0; x < width; ++x) {
            row[3 * x] = static_cast<uint8_t>(x);
            row[3 * x + 1] = static_cast<uint8_t>(y);
            row[3 * x + 2] = 7;
        }
    }
    return image;
}

TEST(BitmapConvert, BlankPictureIsWhiteWithPaddedRows) {
    const BitmapImage blank = CreateBlankBitmap(5, 3);
    EXPECT_EQ(blank.bits, 24);
    EXPECT_EQ(BitmapRowBytes(5, 24), 16u);  // 15 bytes of pixels, padded to a whole word
    EXPECT_EQ(blank.pixels, std::vector<uint8_t>(16 * 3, 0xFF));
    EXPECT_EQ(BitmapRowBytes(127, 1), 16u);
    EXPECT_EQ(BitmapRowBytes(9, 4), 8u);
    EXPECT_EQ(ConvertTo24Bit(blank).pixels, blank.pixels);
}

TEST(BitmapConvert, PalettePixelsLookUpTheirEntries) {
    // Ten pixels cross a byte at 1 and 4 bits; the leftmost pixel is in the high bits.
    const int indices[10] = {1, 0, 0, 1, 1, 1, 0, 1, 0, 1};
    BitmapImage one;
    one.width = 10;
    one.height = 1;
    one.bits = 1;
    one.palette = {{1, 2, 3, 0}, {4, 5, 6, 0}};
    one.pixels = {0b10011101, 0b01000000, 0, 0};
    BitmapImage four = one;
    four.bits = 4;
    four.palette.resize(16);
    four.palette[1] = {4, 5, 6, 0};
    four.palette[0] = {1, 2, 3, 0};
    four.pixels = {0x10, 0x01, 0x11, 0x01, 0x01, 0, 0, 0};
    BitmapImage eight = one;
    eight.bits = 8;
    eight.palette = four.palette;
    eight.palette.resize(256);
    eight.pixels.assign(12, 0);
    for (int x = 0; x < 10; ++x)
        eight.pixels[x] = static_cast<uint8_t>(indices[x]);
    for (const BitmapImage* image : {&one, &four, &eight}) {
        SCOPED_TRACE(image->bits);
        const BitmapImage rgb = ConvertTo24Bit(*image);
        ASSERT_EQ(rgb.pixels.size(), BitmapRowBytes(10, 24));
        for (int x = 0; x < 10; ++x) {
            const int base = indices[x] ? 4 : 1;
            EXPECT_EQ(rgb.pixels[3 * x], base) << "pixel " << x;
            EXPECT_EQ(rgb.pixels[3 * x + 2], base + 2) << "pixel " << x;
        }
    }
}

TEST(BitmapConvert, StretchMapsRepeatEachSourceIndexEvenly) {
    for (const auto& [from, to] : {std::pair{100, 200}, std::pair{50, 100}}) {
        const std::vector<int32_t> map = ScaleIndexMap(from, to);
        ASSERT_EQ(map.size(), static_cast<size_t>(to));
        std::map<int32_t, int> uses;
        for (size_t i = 0; i < map.size(); ++i) {
            ++uses[map[i]];
            if (i > 0) {
                EXPECT_LE(map[i - 1], map[i]);
            }
        }
        EXPECT_EQ(uses.size(), static_cast<size_t>(from));
        for (const auto& [source, count] : uses) {
            EXPECT_EQ(count, 2) << "source " << source << " of " << from;
        }
    }
    // Both ends always map to both ends, shrinking too; one output samples the first source.
    const std::vector<int32_t> shrink = ScaleIndexMap(200, 100);
    EXPECT_EQ(shrink.front(), 0);
    EXPECT_EQ(shrink.back(), 199);
    EXPECT_EQ(ScaleIndexMap(37, 1), std::vector<int32_t>{0});
    EXPECT_EQ(ScaleIndexMap(1, 3), (std::vector<int32_t>{0, 0, 0}));
}

TEST(BitmapConvert, ScaledLinesAreUprightAndBuiltOncePerSourceRow) {
    const BitmapImage picture = Gradient(100, 50);
    std::vector<int32_t> order;
    int wrong = 0;
    const int32_t built =
        ForEachScaledLine(picture, 200, 100, [&](int32_t row, const uint8_t* bgr) {
            order.push_back(row);
            for (int32_t i = 0; i < 200; ++i) {
                wrong += bgr[3 * i] != i / 2 || bgr[3 * i + 1] != row / 2 || bgr[3 * i + 2] != 7;
            }
        });
    EXPECT_EQ(built, 50);
    EXPECT_EQ(wrong, 0);
    ASSERT_EQ(order.size(), 100u);
    for (int32_t j = 0; j < 100; ++j)
        EXPECT_EQ(order[j], j);

    // Only 24-bit pictures are drawn.
    BitmapImage palette;
    palette.width = palette.height = 2;
    palette.bits = 8;
    palette.palette.resize(256);
    palette.pixels.assign(8, 0);
    int calls = 0;
    EXPECT_EQ(ForEachScaledLine(palette, 4, 4, [&](int32_t, const uint8_t*) { ++calls; }), 0);
    EXPECT_EQ(calls, 0);
}

TEST(BitmapConvert, PicturePixelsAreTopDownRgbWithoutPadding) {
    const PicturePixels pixels = MakePicturePixels(Gradient(3, 2));
    EXPECT_EQ(pixels.width, 3);
    EXPECT_EQ(pixels.height, 2);
    EXPECT_EQ(pixels.rgb, (std::vector<uint8_t>{7, 0, 0, 7, 0, 1, 7, 0, 2,  //
                                                7, 1, 0, 7, 1, 1, 7, 1, 2}));
}

}  // namespace
}  // namespace zarni
