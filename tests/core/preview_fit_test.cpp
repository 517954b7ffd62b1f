// The picture dialog's preview: the fitted rectangle and the pane's pixels.
#include <gtest/gtest.h>

#include "formats/bitmap.h"
#include "rules/preview_fit.h"

namespace zarni {
namespace {

TEST(PreviewFit, KeepsTheAspectAndCentres) {
    // A wide picture in a tall pane: pane width, centred vertically.
    EXPECT_EQ(FitPreview(1000, 10, 120, 300), (PreviewRect{0, 149, 120, 1}));
    // A tall picture: pane height, centred horizontally.
    EXPECT_EQ(FitPreview(100, 1000, 120, 300), (PreviewRect{45, 0, 30, 300}));
    // The same shape as the pane fills it.
    EXPECT_EQ(FitPreview(40, 100, 120, 300), (PreviewRect{0, 0, 120, 300}));
    // Enlarged as well as reduced.
    EXPECT_EQ(FitPreview(2, 1, 120, 300), (PreviewRect{0, 120, 120, 60}));
    // A sliver is one line, not nothing.
    EXPECT_EQ(FitPreview(100000, 1, 120, 300), (PreviewRect{0, 149, 120, 1}));
    EXPECT_EQ(FitPreview(1, 100000, 120, 300), (PreviewRect{59, 0, 1, 300}));
    EXPECT_EQ(FitPreview(0, 10, 120, 300), PreviewRect{});
    EXPECT_EQ(FitPreview(10, 10, 0, 300), PreviewRect{});
    // Large sizes do not overflow the products.
    EXPECT_EQ(FitPreview(32768, 2048, 30000, 30000), (PreviewRect{0, 14062, 30000, 1875}));
}

// A 24-bit picture whose pixel (x, y), y from the top, is (x, y, 200) in red, green, blue.
BitmapImage Coordinates(int32_t width, int32_t height) {
    BitmapImage image = CreateBlankBitmap(width, height);
    const size_t rowBytes = BitmapRowBytes(width, 24);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = &image.pixels[(height - 1 - y) * rowBytes];
        for (int32_t x = 0; x < width; ++x) {
            row[3 * x + 0] = 200;
            row[3 * x + 1] = static_cast<uint8_t>(y);
            row[3 * x + 2] = static_cast<uint8_t>(x);
        }
    }
    return image;
}

const uint8_t* At(const PreviewPixels& p, int32_t x, int32_t y) {
    return &p.rgb[(static_cast<size_t>(y) * p.width + x) * 3];
}

TEST(PreviewPane, DrawsThePictureUprightInItsRectangleOnDarkGrey) {
    const BitmapImage picture = Coordinates(4, 2);
    const PreviewPixels pane = RenderPreview(&picture, 8, 10);
    ASSERT_EQ(pane.rgb.size(), 8u * 10 * 3);
    const PreviewRect r = FitPreview(4, 2, 8, 10);
    ASSERT_EQ(r, (PreviewRect{0, 3, 8, 4}));
    for (int32_t y = 0; y < 10; ++y) {
        for (int32_t x = 0; x < 8; ++x) {
            const uint8_t* px = At(pane, x, y);
            if (y < r.y || y >= r.y + r.height) {
                EXPECT_EQ(px[0], kPreviewGrey);
                EXPECT_EQ(px[1], kPreviewGrey);
                EXPECT_EQ(px[2], kPreviewGrey);
                continue;
            }
            // Each source pixel twice in both directions, top row at the top.
            const int32_t sx = ScaleIndexMap(4, 8)[x];
            const int32_t sy = ScaleIndexMap(2, 4)[y - r.y];
            EXPECT_EQ(px[0], sx) << x << "," << y;
            EXPECT_EQ(px[1], sy) << x << "," << y;
            EXPECT_EQ(px[2], 200);
        }
    }
    EXPECT_EQ(At(pane, 0, 3)[1], 0);
    EXPECT_EQ(At(pane, 0, 6)[1], 1);
}

TEST(PreviewPane, PalettePicturesAreConvertedAndAMissingPictureIsGrey) {
    BitmapImage pal;
    pal.width = 2;
    pal.height = 1;
    pal.bits = 8;
    pal.palette.resize(256);
    pal.palette[1] = PaletteEntry{10, 20, 30, 0};  // blue, green, red
    pal.pixels = {1, 0, 0, 0};
    const PreviewPixels pane = RenderPreview(&pal, 2, 3);
    EXPECT_EQ(At(pane, 0, 0)[0], kPreviewGrey);
    EXPECT_EQ(At(pane, 0, 1)[0], 30);
    EXPECT_EQ(At(pane, 0, 1)[1], 20);
    EXPECT_EQ(At(pane, 0, 1)[2], 10);
    EXPECT_EQ(At(pane, 1, 1)[0], 0);

    const PreviewPixels empty = RenderPreview(nullptr, 3, 2);
    EXPECT_EQ(empty.rgb, std::vector<uint8_t>(18, kPreviewGrey));
    EXPECT_TRUE(RenderPreview(&pal, 0, 5).rgb.empty());
}

}  // namespace
}  // namespace zarni
