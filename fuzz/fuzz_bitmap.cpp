// Fuzz target for the BMP reader and the conversions that follow it in the program: any bytes
// either decode into a picture whose sizes agree with each other or are refused with a reason.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/bitmap.h"

namespace {

using namespace zarni;

// Far below the program's limit, so that each input stays quick (the seed pictures, 127 x 64,
// still fit); the size checks are the same code at any limit.
constexpr int64_t kFuzzMaxPixels = int64_t{1} << 13;
constexpr int64_t kConvertMaxPixels = 1024;

void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_bitmap: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string why;
    const std::optional<BitmapImage> image = ReadBitmapBytes(data, size, &why, kFuzzMaxPixels);
    if (!image) {
        if (why.empty()) Fail("refused without a reason");
        return 0;
    }
    const BitmapImage& b = *image;
    if (b.width <= 0 || b.height <= 0 || int64_t{b.width} * b.height > kFuzzMaxPixels) {
        Fail("picture size outside the limits");
    }
    if (b.bits != 1 && b.bits != 4 && b.bits != 8 && b.bits != 24) Fail("unexpected depth");
    if (b.palette.size() != (b.bits == 24 ? 0u : size_t{1} << b.bits)) Fail("palette size");
    if (b.pixels.size() != BitmapRowBytes(b.width, b.bits) * b.height) Fail("pixel area size");

    // The conversions walk sizes the checks above have settled; small pictures are enough to
    // exercise them and keep the runs quick.
    if (int64_t{b.width} * b.height > kConvertMaxPixels) return 0;
    const BitmapImage rgb = ConvertTo24Bit(b);
    if (rgb.bits != 24 || rgb.pixels.size() != BitmapRowBytes(b.width, 24) * b.height) {
        Fail("24-bit conversion size");
    }
    const PicturePixels pixels = MakePicturePixels(rgb);
    if (pixels.rgb.size() != size_t{3} * b.width * b.height) Fail("picture pixels size");

    // A preview of a size taken from the input, as the picture dialog draws it.
    const int32_t w = 1 + static_cast<int32_t>(size % 97);
    const int32_t h = 1 + static_cast<int32_t>(data[size / 2] % 61);
    int32_t lines = 0;
    ForEachScaledLine(rgb, w, h, [&lines](int32_t, const uint8_t*) { ++lines; });
    if (lines != h) Fail("scaled line count");
    return 0;
}
