// The built-in icons: every id the palette and the object list load is there as a 32 x 32 PNG
// with alpha, each is drawn only inside its cell, and text grounds stay light.
#include <gtest/gtest.h>
#include <png.h>

#include <string>
#include <vector>

#include "resources/icons.h"

namespace zarni {
namespace {

// The ids the palette's cell table and the object list use.
std::vector<int> NeededIds() {
    std::vector<int> ids;
    for (int id = 297; id <= 337; ++id)
        ids.push_back(id);
    for (int id = 340; id <= 351; ++id)
        ids.push_back(id);
    ids.push_back(401);
    ids.push_back(402);
    return ids;
}

struct Decoded {
    bool ok = false;
    bool hasAlpha = false;  // in the file, before conversion
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;

    const unsigned char* At(int x, int y) const { return &rgba[4 * (size_t(y) * width + x)]; }
};

Decoded Decode(int id) {
    Decoded out;
    const IconData data = FindIcon(id);
    if (!data.bytes) return out;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data.bytes, data.size)) return out;
    out.hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_RGBA;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgba.resize(PNG_IMAGE_SIZE(image));
    out.ok = png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr) != 0;
    return out;
}

TEST(Icons, EveryNeededIdIsA32By32PngWithAlpha) {
    for (int id : NeededIds()) {
        SCOPED_TRACE("icon " + std::to_string(id));
        const Decoded icon = Decode(id);
        ASSERT_TRUE(icon.ok);
        EXPECT_TRUE(icon.hasAlpha);
        EXPECT_EQ(icon.width, kIconSize);
        EXPECT_EQ(icon.height, kIconSize);
    }
}

TEST(Icons, OnlyTheNeededIdsHaveIcons) {
    EXPECT_EQ(IconIds(), NeededIds());
    for (int id : {-1, 0, 3, 296, 338, 339, 352, 400, 403}) {
        EXPECT_EQ(FindIcon(id).bytes, nullptr) << id;
        EXPECT_EQ(FindIcon(id).size, 0u) << id;
    }
}

// The program draws each icon at its cell's top-left corner and the cells are smaller than the
// image, so everything right of and below the cell's size must be transparent, or it would paint
// over the neighbouring cells. Sizes from the cell rectangles (297 and 298 are the two halves
// of a 66 x 17 field; the bars and the tab are cut at the image's 32 rows; 401 and 402 sit in
// a 22-pixel row of the object list, in its 16-pixel symmetry button).
TEST(Icons, DrawnOnlyInsideTheirCells) {
    struct Region {
        int first, last, width, height;
    };
    const Region regions[] = {
        {297, 298, 32, 17}, {299, 299, 26, 18}, {300, 300, 12, 32}, {301, 301, 16, 32},
        {302, 308, 20, 18}, {309, 312, 12, 17}, {313, 315, 28, 32}, {316, 317, 16, 17},
        {318, 319, 16, 20}, {320, 322, 12, 32}, {323, 331, 12, 17}, {332, 333, 14, 17},
        {334, 337, 28, 17}, {340, 351, 14, 17}, {401, 402, 16, 22},
    };
    for (const Region& r : regions) {
        for (int id = r.first; id <= r.last; ++id) {
            SCOPED_TRACE("icon " + std::to_string(id));
            const Decoded icon = Decode(id);
            ASSERT_TRUE(icon.ok);
            int inside = 0;
            for (int y = 0; y < icon.height; ++y) {
                for (int x = 0; x < icon.width; ++x) {
                    const int alpha = icon.At(x, y)[3];
                    if (x < r.width && y < r.height) {
                        inside += alpha > 0;
                    } else {
                        ASSERT_EQ(alpha, 0) << "drawn at (" << x << ", " << y << ")";
                    }
                }
            }
            EXPECT_GT(inside, r.width * r.height / 4) << "little drawn inside the cell";
        }
    }
}

// The program writes black text on the coordinate fields (at +10, +3; the right half continues
// it), the integer field (+6, +3) and the lock bars (+3, +2): the ground under it must be
// opaque and light.
TEST(Icons, TextGroundsAreLight) {
    struct Ground {
        int id, x0, y0, x1, y1;
    };
    const Ground grounds[] = {
        {297, 10, 3, 31, 14}, {298, 0, 3, 29, 14}, {299, 6, 3, 22, 15}, {300, 3, 2, 9, 14},
        {320, 3, 2, 9, 14},   {321, 3, 2, 9, 14},  {322, 3, 2, 9, 14},
    };
    for (const Ground& g : grounds) {
        SCOPED_TRACE("icon " + std::to_string(g.id));
        const Decoded icon = Decode(g.id);
        ASSERT_TRUE(icon.ok);
        for (int y = g.y0; y <= g.y1; ++y) {
            for (int x = g.x0; x <= g.x1; ++x) {
                const unsigned char* p = icon.At(x, y);
                ASSERT_EQ(p[3], 255) << "at (" << x << ", " << y << ")";
                const double luma = 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
                ASSERT_GE(luma, 170.0) << "at (" << x << ", " << y << ")";
            }
        }
    }
}

}  // namespace
}  // namespace zarni
