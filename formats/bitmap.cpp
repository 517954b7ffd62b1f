// Decoding BMP files and converting the pictures. Every size, count and offset a file gives is
// checked against the file and the size limits before anything is allocated or read.
#include "formats/bitmap.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/file_io.h"

namespace zarni {

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kMaskOffset = kFileHeaderBytes + 40;  // masks follow the 40-byte fields

enum Compression : uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kJpeg = 4,
    kPng = 5,
    kAlphaBitFields = 6,
};

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

std::nullopt_t Refuse(std::string* why, const std::string& text) {
    if (why) *why = text;
    return std::nullopt;
}

// A colour channel given by a contiguous mask, scaled to 0..255 with rounding.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;  // largest value of the field; 0 for an empty mask

    uint8_t Of(uint32_t pixel) const {
        if (max == 0) return 0;
        const uint64_t v = (pixel & mask) >> shift;
        return static_cast<uint8_t>((v * 510 + max) / (2 * uint64_t{max}));
    }
};

bool MakeChannel(uint32_t mask, Channel& c) {
    c = Channel{};
    if (mask == 0) return true;
    const int shift = __builtin_ctz(mask);
    const uint64_t field = uint64_t{mask} >> shift;
    if ((field & (field + 1)) != 0) return false;  // not one run of ones
    c.mask = mask;
    c.shift = shift;
    c.max = static_cast<uint32_t>(field);
    return true;
}

std::string Hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

// Writes one palette index at column x of a row of `bits`-bit pixels.
void PutIndex(uint8_t* row, int bits, int64_t x, uint8_t index) {
    if (bits == 8) {
        row[x] = index;
    } else if (x % 2 == 0) {
        row[x / 2] = static_cast<uint8_t>((row[x / 2] & 0x0F) | (index << 4));
    } else {
        row[x / 2] = static_cast<uint8_t>((row[x / 2] & 0xF0) | (index & 0x0F));
    }
}

// Expands RLE8 (bits 8) or RLE4 (bits 4) data into zeroed bottom-up rows. Pixels that would
// land outside the picture are dropped; the expansion ends at the end-of-picture code or when
// the input is used up.
void ExpandRunLength(const uint8_t* in, size_t size, int bits, BitmapImage& image) {
    const size_t rowBytes = BitmapRowBytes(image.width, bits);
    const int64_t width = image.width;
    const int64_t rows = image.height;
    int64_t x = 0, y = 0;
    size_t i = 0;
    // Rows only ever advance, so nothing more can be written once past the last.
    while (i + 2 <= size && y < rows) {
        const uint8_t n = in[i], value = in[i + 1];
        i += 2;
        uint8_t* row = &image.pixels[static_cast<size_t>(y) * rowBytes];
        if (n > 0) {
            // Pixels past the row end are dropped, never wrapped to the next row.
            const int64_t end = std::min<int64_t>(x + n, width);
            for (int64_t k = 0; x + k < end; ++k) {
                PutIndex(row, bits, x + k,
                         bits == 8 ? value : (k % 2 == 0 ? value >> 4 : value & 0x0F));
            }
            x += n;
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (i + 2 > size) return;
            x += in[i];
            y += in[i + 1];
            i += 2;
        } else {
            const int64_t count = value;
            const size_t bytes = bits == 8 ? value : (value + 1) / 2;
            // A run cut by the end of the data keeps the pixels it has, then the data ends.
            const int64_t have = std::min<int64_t>(count, bits == 8 ? size - i : 2 * (size - i));
            const int64_t end = std::min<int64_t>(x + have, width);
            for (int64_t k = 0; x + k < end; ++k) {
                const uint8_t b = in[i + (bits == 8 ? k : k / 2)];
                PutIndex(row, bits, x + k, bits == 8 ? b : (k % 2 == 0 ? b >> 4 : b & 0x0F));
            }
            if (have < count) return;
            x += count;
            i += bytes + (bytes & 1);  // absolute runs are padded to 16 bits
        }
    }
}

// Decodes 16- and 32-bit rows through their colour masks into 24-bit rows.
void DecodeMasked(const uint8_t* in, size_t available, size_t srcRowBytes, int bits,
                  const Channel (&rgb)[3], bool topDown, BitmapImage& image) {
    const size_t rowBytes = BitmapRowBytes(image.width, 24);
    const size_t pixelBytes = static_cast<size_t>(bits / 8);
    for (int64_t s = 0; s < image.height; ++s) {
        const size_t start = static_cast<size_t>(s) * srcRowBytes;
        if (start >= available) break;
        const size_t have = std::min(srcRowBytes, available - start) / pixelBytes;
        const size_t count = std::min<size_t>(have, static_cast<size_t>(image.width));
        const int64_t row = topDown ? image.height - 1 - s : s;
        uint8_t* out = &image.pixels[static_cast<size_t>(row) * rowBytes];
        const uint8_t* p = in + start;
        for (size_t x = 0; x < count; ++x, p += pixelBytes, out += 3) {
            const uint32_t v = bits == 16 ? U16(p) : U32(p);
            out[0] = rgb[2].Of(v);
            out[1] = rgb[1].Of(v);
            out[2] = rgb[0].Of(v);
        }
    }
}

const char* CompressionName(uint32_t compression) {
    switch (compression) {
        case kRgb:
            return "uncompressed";
        case kRle8:
            return "RLE8";
        case kRle4:
            return "RLE4";
        case kBitFields:
            return "bit-field";
        case kAlphaBitFields:
            return "alpha bit-field";
        default:
            return "unknown";
    }
}

}  // namespace

size_t BitmapRowBytes(int32_t width, int bits) {
    return static_cast<size_t>((int64_t{width} * bits + 31) / 32) * 4;
}

std::optional<BitmapImage> ReadBitmapBytes(const uint8_t* data, size_t size, std::string* why,
                                           int64_t maxPixels) {
    if (size < 2 || data[0] != 'B' || data[1] != 'M') {
        return Refuse(why, "not a BMP picture (it does not start with \"BM\")");
    }
    if (size < kFileHeaderBytes + 4) return Refuse(why, "the file ends inside its file header");
    const uint32_t pixelOffset = U32(data + 10);
    const uint32_t headerSize = U32(data + 14);
    switch (headerSize) {
        case 12:
            return Refuse(why, "OS/2 1.x bitmaps (12-byte header) are not supported");
        case 16:
        case 64:
            return Refuse(why, "OS/2 2.x bitmaps (" + std::to_string(headerSize) +
                                   "-byte header) are not supported");
        case 40:
        case 52:
        case 56:
        case 108:
        case 124:
            break;
        default:
            return Refuse(why, "unknown bitmap header size " + std::to_string(headerSize));
    }
    if (size < kFileHeaderBytes + headerSize) {
        return Refuse(why, "the file ends inside its bitmap header");
    }
    const uint8_t* h = data + kFileHeaderBytes;
    const auto width = static_cast<int32_t>(U32(h + 4));
    const auto height = static_cast<int32_t>(U32(h + 8));
    const int bits = U16(h + 14);
    const uint32_t compression = U32(h + 16);
    const uint32_t imageSize = U32(h + 20);
    const uint32_t colorsUsed = U32(h + 32);

    if (width <= 0) return Refuse(why, "width " + std::to_string(width) + " is not positive");
    if (height == 0) return Refuse(why, "height 0: the picture has no rows");
    const bool topDown = height < 0;
    const int64_t rows = topDown ? -int64_t{height} : height;
    const int64_t limit = std::min(maxPixels, kMaxBitmapPixels);
    if (width > kMaxBitmapSide || rows > kMaxBitmapSide || width * rows > limit) {
        return Refuse(why, std::to_string(width) + " x " + std::to_string(rows) +
                               " pixels is larger than the limit of " +
                               std::to_string(kMaxBitmapSide) + " pixels a side and " +
                               std::to_string(limit) + " pixels in all");
    }

    if (compression == kJpeg) return Refuse(why, "embedded JPEG pictures are not supported");
    if (compression == kPng) return Refuse(why, "embedded PNG pictures are not supported");
    bool known = false;
    switch (bits) {
        case 1:
            known = compression == kRgb;
            break;
        case 4:
            known = compression == kRgb || compression == kRle4;
            break;
        case 8:
            known = compression == kRgb || compression == kRle8;
            break;
        case 16:
        case 32:
            known =
                compression == kRgb || compression == kBitFields || compression == kAlphaBitFields;
            break;
        case 24:
            known = compression == kRgb;
            break;
        case 2:
        case 64:
            return Refuse(why, std::to_string(bits) + " bits per pixel are not supported");
        default:
            return Refuse(why, std::to_string(bits) + " bits per pixel is not a bitmap depth");
    }
    if (!known) {
        return Refuse(why, "compression " + std::to_string(compression) + " (" +
                               CompressionName(compression) + ") is not valid at " +
                               std::to_string(bits) + " bits per pixel");
    }
    const bool runLength = compression == kRle8 || compression == kRle4;
    if (runLength && topDown) {
        return Refuse(why, "a run-length compressed bitmap cannot be stored top-down");
    }

    BitmapImage image;
    image.width = width;
    image.height = static_cast<int32_t>(rows);
    image.bits = bits <= 8 ? bits : 24;

    // Colour masks: the defaults for uncompressed pixels, otherwise the three masks that follow
    // the 40-byte fields (inside the larger headers, after the 40-byte one).
    Channel rgb[3];
    if (bits == 16 || bits == 32) {
        uint32_t masks[3];
        if (compression == kRgb) {
            masks[0] = bits == 16 ? 0x7C00 : 0xFF0000;
            masks[1] = bits == 16 ? 0x03E0 : 0x00FF00;
            masks[2] = bits == 16 ? 0x001F : 0x0000FF;
        } else {
            if (size < kMaskOffset + 12) return Refuse(why, "the colour masks are cut short");
            for (int c = 0; c < 3; ++c)
                masks[c] = U32(data + kMaskOffset + 4 * c);
        }
        for (int c = 0; c < 3; ++c) {
            if (!MakeChannel(masks[c], rgb[c])) {
                return Refuse(why, "colour mask " + Hex(masks[c]) + " is not one run of bits");
            }
        }
    }

    // The palette follows the header; a file may store fewer entries than the depth allows.
    if (bits <= 8) {
        const uint32_t full = 1u << bits;
        const uint32_t stored = colorsUsed == 0 ? full : std::min(colorsUsed, full);
        const size_t start = kFileHeaderBytes + headerSize;
        if (size - start < size_t{stored} * 4) return Refuse(why, "the colour table is cut short");
        image.palette.resize(full);
        for (uint32_t k = 0; k < stored; ++k) {
            const uint8_t* e = data + start + 4 * k;
            image.palette[k] = PaletteEntry{e[0], e[1], e[2], e[3]};
        }
    }

    if (pixelOffset < kFileHeaderBytes + headerSize) {
        return Refuse(why, "the pixel data offset " + std::to_string(pixelOffset) +
                               " lies inside the headers");
    }
    if (pixelOffset >= size) {
        return Refuse(why, "the file holds no pixel data (offset " + std::to_string(pixelOffset) +
                               ", file size " + std::to_string(size) + ")");
    }
    const uint8_t* in = data + pixelOffset;
    const size_t available = size - pixelOffset;

    const size_t rowBytes = BitmapRowBytes(width, image.bits);
    image.pixels.assign(rowBytes * static_cast<size_t>(rows), 0);
    if (runLength) {
        const size_t stream = imageSize == 0 ? available : std::min<size_t>(imageSize, available);
        ExpandRunLength(in, stream, bits, image);
    } else if (bits == 16 || bits == 32) {
        DecodeMasked(in, available, BitmapRowBytes(width, bits), bits, rgb, topDown, image);
    } else {
        // Rows the file does not hold (in part or whole) stay black.
        for (int64_t s = 0; s < rows; ++s) {
            const size_t start = static_cast<size_t>(s) * rowBytes;
            if (start >= available) break;
            const int64_t row = topDown ? rows - 1 - s : s;
            std::memcpy(&image.pixels[static_cast<size_t>(row) * rowBytes], in + start,
                        std::min(rowBytes, available - start));
        }
    }
    return image;
}

std::optional<BitmapImage> ReadBitmapFile(const std::string& path, std::string* why) {
    // No picture within the limits needs a file this large; such a file is not mapped at all.
    constexpr uintmax_t kMaxFileBytes = uintmax_t{1} << 30;
    std::error_code error;
    const uintmax_t bytes = std::filesystem::file_size(path, error);
    if (!error && bytes > kMaxFileBytes) {
        return Refuse(why, path + " is larger than any picture within the size limits (" +
                               std::to_string(bytes) + " bytes)");
    }
    FileBytes file;
    if (!file.Open(path, why)) return std::nullopt;
    return ReadBitmapBytes(reinterpret_cast<const uint8_t*>(file.data()), file.size(), why);
}

BitmapImage CreateBlankBitmap(int32_t width, int32_t height) {
    BitmapImage image;
    image.width = std::max(width, 0);
    image.height = std::max(height, 0);
    image.bits = 24;
    image.pixels.assign(BitmapRowBytes(image.width, 24) * static_cast<size_t>(image.height), 0xFF);
    return image;
}

BitmapImage ConvertTo24Bit(const BitmapImage& image) {
    if (image.bits == 24) return image;
    BitmapImage out;
    out.width = image.width;
    out.height = image.height;
    out.bits = 24;
    const size_t inRow = BitmapRowBytes(image.width, image.bits);
    const size_t outRow = BitmapRowBytes(image.width, 24);
    out.pixels.assign(outRow * static_cast<size_t>(image.height), 0);
    if (image.bits != 1 && image.bits != 4 && image.bits != 8) return out;
    if (image.palette.size() < (size_t{1} << image.bits)) return out;
    if (image.pixels.size() < inRow * static_cast<size_t>(image.height)) return out;
    const int32_t width = image.width;
    auto put = [&image](uint8_t* dst, unsigned index) {
        const PaletteEntry& e = image.palette[index];
        dst[0] = e.blue;
        dst[1] = e.green;
        dst[2] = e.red;
    };
    for (int32_t y = 0; y < image.height; ++y) {
        const uint8_t* src = &image.pixels[static_cast<size_t>(y) * inRow];
        uint8_t* dst = &out.pixels[static_cast<size_t>(y) * outRow];
        if (image.bits == 1) {
            for (int32_t x = 0; x < width; ++x)
                put(dst + 3 * x, (src[x / 8] >> (7 - x % 8)) & 1);
        } else if (image.bits == 4) {
            for (int32_t x = 0; x < width; ++x)
                put(dst + 3 * x, x % 2 == 0 ? src[x / 2] >> 4 : src[x / 2] & 0x0F);
        } else {
            for (int32_t x = 0; x < width; ++x)
                put(dst + 3 * x, src[x]);
        }
    }
    return out;
}

std::vector<int32_t> ScaleIndexMap(int32_t sourceSize, int32_t destSize) {
    std::vector<int32_t> map(static_cast<size_t>(std::max(destSize, 0)), 0);
    if (destSize <= 1 || sourceSize <= 0) return map;
    // trunc(0.5 + i * (s - 1) / (d - 1)) in whole numbers: (2i(s - 1) + d - 1) / (2(d - 1)).
    const int64_t s = sourceSize - 1, d = destSize - 1;
    for (int64_t i = 0; i < destSize; ++i) {
        map[static_cast<size_t>(i)] = static_cast<int32_t>((2 * i * s + d) / (2 * d));
    }
    return map;
}

int32_t ForEachScaledLine(const BitmapImage& image, int32_t width, int32_t height,
                          const std::function<void(int32_t row, const uint8_t* bgr)>& line) {
    if (image.bits != 24 || width <= 0 || height <= 0 || image.width <= 0 || image.height <= 0) {
        return 0;
    }
    const std::vector<int32_t> columns = ScaleIndexMap(image.width, width);
    const std::vector<int32_t> rows = ScaleIndexMap(image.height, height);
    const size_t rowBytes = BitmapRowBytes(image.width, 24);
    std::vector<uint8_t> scan(static_cast<size_t>(width) * 3);
    int32_t built = 0;
    int32_t previous = -1;
    for (int32_t j = 0; j < height; ++j) {
        const int32_t r = rows[j];
        if (r != previous) {
            // Row r counts from the top; rows are stored from the bottom.
            const uint8_t* src =
                &image.pixels[static_cast<size_t>(image.height - r - 1) * rowBytes];
            for (int32_t i = 0; i < width; ++i) {
                std::memcpy(&scan[static_cast<size_t>(i) * 3], src + size_t{3} * columns[i], 3);
            }
            previous = r;
            ++built;
        }
        line(j, scan.data());
    }
    return built;
}

PicturePixels MakePicturePixels(const BitmapImage& image) {
    if (image.bits != 24) return MakePicturePixels(ConvertTo24Bit(image));
    PicturePixels out;
    const size_t rowBytes = BitmapRowBytes(image.width, 24);
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() < rowBytes * static_cast<size_t>(image.height)) {
        return out;
    }
    out.width = image.width;
    out.height = image.height;
    out.rgb.resize(size_t{3} * image.width * image.height);
    uint8_t* dst = out.rgb.data();
    for (int32_t y = image.height - 1; y >= 0; --y) {
        const uint8_t* src = &image.pixels[static_cast<size_t>(y) * rowBytes];
        for (int32_t x = 0; x < image.width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    return out;
}

}  // namespace zarni
