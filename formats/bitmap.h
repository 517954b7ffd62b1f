// Windows bitmap (BMP) files decoded into plain pictures, and the conversions that previews and
// background pictures make of them: 24-bit pictures, stretched scan lines and top-down RGB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zarni {

// One colour table entry as a bitmap stores it.
struct PaletteEntry {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;

    bool operator==(const PaletteEntry& o) const {
        return blue == o.blue && green == o.green && red == o.red && reserved == o.reserved;
    }
};

// A decoded picture laid out as a device-independent bitmap: rows bottom-up (row 0 is the
// bottom of the picture), each padded to a multiple of 4 bytes. 1-, 4- and 8-bit pixels index
// the palette (1-bit: bit 7 is the leftmost pixel; 4-bit: the high nibble is); 24-bit pixels
// are blue, green, red.
struct BitmapImage {
    int32_t width = 0;
    int32_t height = 0;  // always positive: top-down files are turned upright when read
    int bits = 0;        // 1, 4, 8 or 24
    // 2, 16 or 256 entries for 1, 4 and 8 bits (entries a file does not store are black);
    // empty for 24 bits.
    std::vector<PaletteEntry> palette;
    std::vector<uint8_t> pixels;  // height x BitmapRowBytes(width, bits)
};

// Pictures larger than this are refused: no side over kMaxBitmapSide, no more than
// kMaxBitmapPixels pixels in all (a 24-bit picture of that size takes 192 MiB).
constexpr int32_t kMaxBitmapSide = 32768;
constexpr int64_t kMaxBitmapPixels = int64_t{1} << 26;

// Bytes in one stored row: the bits of `width` pixels rounded up to whole 32-bit words.
size_t BitmapRowBytes(int32_t width, int bits);

// Reads a BMP file: the 40-byte info header and its larger successors (52, 56, 108 and 124
// bytes) at 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed, run-length compressed
// (RLE8, RLE4) or with colour masks. 16- and 32-bit pixels are decoded into a 24-bit picture.
// Pixel data cut short leaves the rest of the picture black. Anything else is refused with
// nullopt and a reason in `why`.
std::optional<BitmapImage> ReadBitmapFile(const std::string& path, std::string* why = nullptr);

// The same over bytes in memory; `maxPixels` lowers the size limit (never raises it).
std::optional<BitmapImage> ReadBitmapBytes(const uint8_t* data, size_t size,
                                           std::string* why = nullptr,
                                           int64_t maxPixels = kMaxBitmapPixels);

// A white 24-bit picture.
BitmapImage CreateBlankBitmap(int32_t width, int32_t height);

// The picture at 24 bits per pixel (a copy when it is one already).
BitmapImage ConvertTo24Bit(const BitmapImage& image);

// The first stored row (the bottom of the picture).
inline const uint8_t* BitmapPixels(const BitmapImage& image) {
    return image.pixels.data();
}
inline uint8_t* BitmapPixels(BitmapImage& image) {
    return image.pixels.data();
}

// Nearest-neighbour stretch of `sourceSize` samples to `destSize`: for each output index the
// source index, trunc(0.5 + i * (sourceSize - 1) / (destSize - 1)); index 0 when destSize is 1.
std::vector<int32_t> ScaleIndexMap(int32_t sourceSize, int32_t destSize);

// The scan lines of a 24-bit picture stretched to width x height, top line first: `line` is
// called with each output row (0 = top) and its blue-green-red pixels. Rows that map to the
// same source row as the row before reuse the line already built. Returns the number of lines
// built; does nothing (and returns 0) unless the picture has 24 bits and the size is positive.
int32_t ForEachScaledLine(const BitmapImage& image, int32_t width, int32_t height,
                          const std::function<void(int32_t row, const uint8_t* bgr)>& line);

// What a background-picture slot keeps: red, green, blue per pixel, top row first, rows packed.
struct PicturePixels {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;
};

// The picture's pixels top row first in red-green-blue order (converted to 24 bits first when
// it has fewer).
PicturePixels MakePicturePixels(const BitmapImage& image);

}  // namespace zarni
