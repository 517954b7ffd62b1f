// The BMP reader on files built here: the run-length codes, the newer headers and masks,
// top-down rows, short palettes, cut data, and the files it refuses.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formats/bitmap.h"

namespace zarni {
namespace {

// A BMP file put together field by field; the defaults make a valid 40-byte-header file.
struct BmpFile {
    uint32_t headerSize = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    uint32_t colorsUsed = 0;
    std::vector<uint32_t> masks;  // after the 40-byte fields (inside a larger header)
    std::vector<PaletteEntry> palette;
    std::vector<uint8_t> pixels;
    int64_t pixelOffset = -1;  // -1: right after the palette

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> b;
        auto u16 = [&b](uint32_t v) {
            b.push_back(static_cast<uint8_t>(v));
            b.push_back(static_cast<uint8_t>(v >> 8));
        };
        auto u32 = [&](uint32_t v) {
            u16(v & 0xFFFF);
            u16(v >> 16);
        };
        const size_t maskBytes = headerSize == 40 ? 4 * masks.size() : 0;
        const size_t start = 14 + headerSize + maskBytes + 4 * palette.size();
        b.push_back('B');
        b.push_back('M');
        u32(static_cast<uint32_t>(start + pixels.size()));
        u32(0);
        u32(pixelOffset < 0 ? static_cast<uint32_t>(start) : static_cast<uint32_t>(pixelOffset));
        u32(headerSize);
        u32(static_cast<uint32_t>(width));
        u32(static_cast<uint32_t>(height));
        u16(1);
        u16(bits);
        u32(compression);
        u32(imageSize);
        u32(2835);
        u32(2835);
        u32(colorsUsed);
        u32(0);
        for (uint32_t m : masks)
            u32(m);
        b.resize(14 + std::max<size_t>(headerSize, 40 + maskBytes), 0);
        for (const PaletteEntry& e : palette) {
            b.insert(b.end(), {e.blue, e.green, e.red, e.reserved});
        }
        b.insert(b.end(), pixels.begin(), pixels.end());
        return b;
    }
};

std::optional<BitmapImage> Read(const std::vector<uint8_t>& bytes, std::string* why = nullptr) {
    return ReadBitmapBytes(bytes.data(), bytes.size(), why);
}

std::vector<PaletteEntry> Greys(int n) {
    std::vector<PaletteEntry> p;
    for (int i = 0; i < n; ++i) {
        const auto v = static_cast<uint8_t>(i * 16);
        p.push_back({v, v, v, 0});
    }
    return p;
}

// The palette indices of stored row y (0 = bottom).
std::vector<int> Indices(const BitmapImage& image, int y) {
    const uint8_t* row = &image.pixels[BitmapRowBytes(image.width, image.bits) * y];
    std::vector<int> out;
    for (int x = 0; x < image.width; ++x) {
        out.push_back(image.bits == 8 ? row[x] : (x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 15));
    }
    return out;
}

// The blue-green-red triple at (x, y) of a 24-bit picture, y counted from the bottom.
std::vector<int> Bgr(const BitmapImage& image, int x, int y) {
    const uint8_t* p = &image.pixels[BitmapRowBytes(image.width, 24) * y + 3 * x];
    return {p[0], p[1], p[2]};
}

TEST(BitmapRunLength, Rle8CodesRunsDeltasAndDroppedOutput) {
    BmpFile f;
    f.width = 6;
    f.height = 3;
    f.bits = 8;
    f.compression = 1;
    f.colorsUsed = 16;
    f.palette = Greys(16);
    f.pixels = {
        3, 5,              // run: three 5s
        0, 3, 7, 8, 9, 0,  // absolute run of three, padded to an even length
        0, 0,              // end of line
        0, 0,              // end of line: row 1 stays empty
        0, 2, 2, 0,        // delta two to the right
        2, 4,              // run of two 4s from column 2
        9, 6,              // a run past the row end is cut there, never wrapped
        0, 1,              // end of picture
        4, 1,              // after the end: ignored
    };
    const std::optional<BitmapImage> image = Read(f.Bytes());
    ASSERT_TRUE(image);
    EXPECT_EQ(Indices(*image, 0), (std::vector<int>{5, 5, 5, 7, 8, 9}));
    EXPECT_EQ(Indices(*image, 1), (std::vector<int>{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Indices(*image, 2), (std::vector<int>{0, 0, 4, 4, 6, 6}));
}

TEST(BitmapRunLength, Rle4NibblesAndAbsoluteRunPadding) {
    BmpFile f;
    f.width = 10;
    f.height = 2;
    f.bits = 4;
    f.compression = 2;
    f.palette = Greys(16);
    f.pixels = {
        3, 0x12,                    // run alternating high and low nibble: 1 2 1
        0, 5,    0x34, 0x56, 0x70,  // absolute run of five nibbles in three bytes...
        0,                          // ...padded to four
        2, 0x0E,                    // 0 E after the padding
        0, 0,                       // end of line
        0, 2,    1,    0,           // delta one to the right
        2, 0xAB,                    // A B
        0, 1,                       // end of picture
    };
    const std::optional<BitmapImage> image = Read(f.Bytes());
    ASSERT_TRUE(image);
    EXPECT_EQ(Indices(*image, 0), (std::vector<int>{1, 2, 1, 3, 4, 5, 6, 7, 0, 14}));
    EXPECT_EQ(Indices(*image, 1), (std::vector<int>{0, 10, 11, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(BitmapRunLength, ExpansionStopsWhereTheDataEnds) {
    BmpFile f;
    f.width = 4;
    f.height = 2;
    f.bits = 8;
    f.compression = 1;
    f.colorsUsed = 16;
    f.palette = Greys(16);
    // An absolute run cut by the end of the file keeps the pixels it has.
    f.pixels = {0, 4, 1, 2};
    std::optional<BitmapImage> image = Read(f.Bytes());
    ASSERT_TRUE(image);
    EXPECT_EQ(Indices(*image, 0), (std::vector<int>{1, 2, 0, 0}));
    EXPECT_EQ(Indices(*image, 1), (std::vector<int>{0, 0, 0, 0}));

    // A delta past the last row drops what follows.
    f.pixels = {0, 2, 0, 9, 4, 3, 0, 0};
    image = Read(f.Bytes());
    ASSERT_TRUE(image);
    EXPECT_EQ(Indices(*image, 0), (std::vector<int>{0, 0, 0, 0}));

    // The stream is as long as the header's image size says, when the file holds that much.
    f.pixels = {2, 3, 2, 4, 0, 1};
    f.imageSize = 2;
    image = Read(f.Bytes());
    ASSERT_TRUE(image);
    EXPECT_EQ(Indices(*image, 0), (std::vector<int>{3, 3, 0, 0}));
    f.imageSize = 1000;
    image = Read(f.Bytes());
    ASSERT_TRUE(image);
    EXPECT_EQ(Indices(*image, 0), (std::vector<int>{3, 3, 4, 4}));
}

TEST(BitmapHeaders, TopDownRowsAreTurnedUpright) {
    BmpFile up;
    up.width = 2;
    up.height = 3;
    up.bits = 24;
    // Rows bottom first, each 6 bytes of pixels and 2 of padding.
    up.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0, 13, 14, 15, 16, 17, 18, 0, 0};
    BmpFile down = up;
    down.height = -3;
    down.pixels.clear();
    for (int y = 2; y >= 0; --y)
        down.pixels.insert(down.pixels.end(), up.pixels.begin() + 8 * y,
                           up.pixels.begin() + 8 * y + 8);
    const std::optional<BitmapImage> a = Read(up.Bytes());
    const std::optional<BitmapImage> b = Read(down.Bytes());
    ASSERT_TRUE(a && b);
    EXPECT_EQ(b->height, 3);
    EXPECT_EQ(a->pixels, b->pixels);
    EXPECT_EQ(Bgr(*b, 0, 0), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Bgr(*b, 1, 2), (std::vector<int>{16, 17, 18}));
}

TEST(BitmapHeaders, ShortPaletteIsReadAsStored) {
    BmpFile f;
    f.width = 3;
    f.height = 1;
    f.bits = 8;
    f.colorsUsed = 2;
    f.palette = {{10, 20, 30, 0}, {40, 50, 60, 0}};
    f.pixels = {1, 0, 2, 0};  // the pixels follow the two entries at once
    const std::optional<BitmapImage> image = Read(f.Bytes());
    ASSERT_TRUE(image);
    ASSERT_EQ(image->palette.size(), 256u);
    const BitmapImage rgb = ConvertTo24Bit(*image);
    EXPECT_EQ(Bgr(rgb, 0, 0), (std::vector<int>{40, 50, 60}));
    EXPECT_EQ(Bgr(rgb, 1, 0), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(Bgr(rgb, 2, 0), (std::vector<int>{0, 0, 0}));  // not stored: black
}

TEST(BitmapHeaders, NewerHeadersAndMasksGiveTheRealColours) {
    // A 108-byte header with 5-6-5 masks inside it, and unused bytes before the pixels.
    BmpFile f;
    f.headerSize = 108;
    f.width = 4;
    f.height = 1;
    f.bits = 16;
    f.compression = 3;
    f.masks = {0xF800, 0x07E0, 0x001F};
    f.pixels = {0, 0, 0, 0, 0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x10, 0x84};
    f.pixelOffset = 14 + 108 + 4;
    std::string why;
    std::optional<BitmapImage> image = Read(f.Bytes(), &why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(image->bits, 24);
    EXPECT_EQ(Bgr(*image, 0, 0), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(Bgr(*image, 1, 0), (std::vector<int>{0, 255, 0}));
    EXPECT_EQ(Bgr(*image, 2, 0), (std::vector<int>{255, 0, 0}));
    // 16 of 31 and 32 of 63, rounded to the nearest of 255.
    EXPECT_EQ(Bgr(*image, 3, 0), (std::vector<int>{132, 130, 132}));

    // The same masks after a 40-byte header; 16 bits without masks are 5-5-5.
    f.headerSize = 40;
    f.pixelOffset = -1;
    f.pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x10, 0x84};
    image = Read(f.Bytes(), &why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(Bgr(*image, 0, 0), (std::vector<int>{0, 0, 255}));
    f.compression = 0;
    f.masks.clear();
    f.pixels = {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x00, 0x80};  // the top bit is unused
    image = Read(f.Bytes(), &why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(Bgr(*image, 0, 0), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(Bgr(*image, 1, 0), (std::vector<int>{0, 255, 0}));
    EXPECT_EQ(Bgr(*image, 2, 0), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(Bgr(*image, 3, 0), (std::vector<int>{0, 0, 0}));

    // 32 bits: blue, green, red and an unused byte, or any masks (here 10-10-10).
    f.bits = 32;
    f.width = 2;
    f.pixels = {1, 2, 3, 99, 4, 5, 6, 99};
    image = Read(f.Bytes(), &why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(Bgr(*image, 0, 0), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Bgr(*image, 1, 0), (std::vector<int>{4, 5, 6}));
    f.headerSize = 52;
    f.compression = 3;
    f.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
    f.width = 1;
    f.pixels = {0xFF, 0x03, 0x00, 0x00};
    image = Read(f.Bytes(), &why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(Bgr(*image, 0, 0), (std::vector<int>{255, 0, 0}));
}

TEST(BitmapHeaders, CutPixelRowsStayBlack) {
    BmpFile f;
    f.width = 3;
    f.height = 2;
    f.bits = 16;
    // The bottom row whole (with padding), then one pixel of the top row.
    f.pixels = {0x1F, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0, 0, 0x1F, 0x00};
    std::optional<BitmapImage> image = Read(f.Bytes());
    ASSERT_TRUE(image);
    EXPECT_EQ(Bgr(*image, 2, 0), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(Bgr(*image, 0, 1), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(Bgr(*image, 1, 1), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(Bgr(*image, 2, 1), (std::vector<int>{0, 0, 0}));

    f.bits = 24;
    f.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12};
    image = Read(f.Bytes());
    ASSERT_TRUE(image);
    EXPECT_EQ(Bgr(*image, 2, 0), (std::vector<int>{7, 8, 9}));
    EXPECT_EQ(Bgr(*image, 0, 1), (std::vector<int>{10, 11, 12}));
    EXPECT_EQ(Bgr(*image, 1, 1), (std::vector<int>{0, 0, 0}));
}

TEST(BitmapRefusals, EachRefusalSaysWhy) {
    BmpFile good;
    good.width = 2;
    good.height = 2;
    good.bits = 8;
    good.palette = Greys(256);
    good.pixels.assign(8, 1);
    ASSERT_TRUE(Read(good.Bytes()));

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    std::vector<Case> cases;
    auto with = [&](const char* name, auto change, const char* reason) {
        BmpFile f = good;
        change(f);
        cases.push_back({name, f.Bytes(), reason});
    };
    const std::vector<uint8_t> bytes = good.Bytes();
    cases.push_back({"empty file", {}, "BM"});
    cases.push_back({"BA", {'B', 'A', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "BM"});
    cases.push_back({"cut in the file header", {bytes.begin(), bytes.begin() + 12}, "header"});
    cases.push_back({"cut in the info header", {bytes.begin(), bytes.begin() + 40}, "header"});
    cases.push_back({"cut in the palette", {bytes.begin(), bytes.begin() + 300}, "colour table"});
    with(
        "OS/2 header", [](BmpFile& f) { f.headerSize = 12; }, "OS/2");
    with(
        "unknown header", [](BmpFile& f) { f.headerSize = 66; }, "header size 66");
    with(
        "width 0", [](BmpFile& f) { f.width = 0; }, "width");
    with(
        "negative width", [](BmpFile& f) { f.width = -2; }, "width");
    with(
        "height 0", [](BmpFile& f) { f.height = 0; }, "height");
    with(
        "2 bits", [](BmpFile& f) { f.bits = 2; }, "2 bits per pixel");
    with(
        "64 bits", [](BmpFile& f) { f.bits = 64; }, "64 bits per pixel");
    with(
        "7 bits", [](BmpFile& f) { f.bits = 7; }, "7 bits per pixel");
    with(
        "JPEG", [](BmpFile& f) { f.compression = 4; }, "JPEG");
    with(
        "PNG", [](BmpFile& f) { f.compression = 5; }, "PNG");
    with(
        "RLE4 at 8 bits", [](BmpFile& f) { f.compression = 2; }, "compression 2");
    with(
        "RLE top-down",
        [](BmpFile& f) {
            f.compression = 1;
            f.height = -2;
        },
        "top-down");
    with(
        "mask with a gap",
        [](BmpFile& f) {
            f.bits = 16;
            f.palette.clear();
            f.compression = 3;
            f.masks = {0xF00F, 0x0F00, 0x00F0};
        },
        "0x0000F00F");
    with(
        "masks cut short",
        [](BmpFile& f) {
            f.bits = 32;
            f.palette.clear();
            f.pixels.clear();
            f.compression = 3;
            f.masks = {0xFF};
            f.pixelOffset = 14 + 40 + 4 - 1;
        },
        "masks");
    with(
        "pixels inside the headers", [](BmpFile& f) { f.pixelOffset = 20; }, "inside");
    with(
        "pixels past the end", [](BmpFile& f) { f.pixelOffset = 5000; }, "no pixel data");
    with(
        "too wide", [](BmpFile& f) { f.width = kMaxBitmapSide + 1; }, "limit");
    with(
        "too tall", [](BmpFile& f) { f.height = -(kMaxBitmapSide + 1); }, "limit");
    with(
        "too many pixels", [](BmpFile& f) { f.width = f.height = 10000; }, "limit");
    with(
        "most negative height", [](BmpFile& f) { f.height = INT32_MIN; }, "limit");

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string why;
        EXPECT_FALSE(ReadBitmapBytes(c.bytes.data(), c.bytes.size(), &why));
        EXPECT_NE(why.find(c.reason), std::string::npos) << "reason: " << why;
    }

    // A caller may ask for a lower limit, never a higher one.
    BmpFile big = good;
    big.width = 1000;
    big.height = 1000;
    const std::vector<uint8_t> b = big.Bytes();
    EXPECT_TRUE(ReadBitmapBytes(b.data(), b.size(), nullptr, 1000 * 1000));
    EXPECT_FALSE(ReadBitmapBytes(b.data(), b.size(), nullptr, 1000 * 1000 - 1));
}

TEST(BitmapRefusals, FileLargerThanAnyPictureIsNotRead) {
    char dir[] = "/tmp/zarni-bitmap-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/huge.bmp";
    BmpFile f;
    f.pixels = {1, 2, 3, 0};
    const std::vector<uint8_t> bytes = f.Bytes();
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    EXPECT_TRUE(ReadBitmapFile(path));
    std::filesystem::resize_file(path, (uintmax_t{1} << 30) + 1);  // sparse: takes no space
    std::string why;
    EXPECT_FALSE(ReadBitmapFile(path, &why));
    EXPECT_NE(why.find("larger"), std::string::npos) << why;
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zarni
