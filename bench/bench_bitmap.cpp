// Speed of loading a background picture: decoding a large BMP (uncompressed, 16-bit masks,
// RLE8), converting a palette picture to 24 bits, and building the top-down RGB pixels.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "formats/bitmap.h"

namespace {

using namespace zarni;

constexpr int32_t kSide = 2048;

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A kSide x kSide file: headers, a full palette for 8 bits, then `pixels`.
std::vector<uint8_t> File(int bits, uint32_t compression, const std::vector<uint8_t>& pixels) {
    const uint32_t palette = bits == 8 ? 1024 : 0;
    std::vector<uint8_t> b = {'B', 'M'};
    Put32(b, static_cast<uint32_t>(54 + palette + pixels.size()));
    Put32(b, 0);
    Put32(b, 54 + palette);
    Put32(b, 40);
    Put32(b, kSide);
    Put32(b, kSide);
    Put16(b, 1);
    Put16(b, static_cast<uint32_t>(bits));
    Put32(b, compression);
    Put32(b, static_cast<uint32_t>(pixels.size()));
    for (int i = 0; i < 4; ++i)
        Put32(b, 0);
    for (uint32_t i = 0; i < palette / 4; ++i)
        Put32(b, i * 0x010101);
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

std::vector<uint8_t> Pattern(size_t n) {
    std::vector<uint8_t> p(n);
    for (size_t i = 0; i < n; ++i)
        p[i] = static_cast<uint8_t>(i * 7 + (i >> 11));
    return p;
}

void Decode(benchmark::State& state, const std::vector<uint8_t>& file) {
    for (auto _ : state) {
        auto image = ReadBitmapBytes(file.data(), file.size());
        benchmark::DoNotOptimize(image->pixels.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * file.size());
}

void BM_Read24Bit(benchmark::State& state) {
    Decode(state, File(24, 0, Pattern(BitmapRowBytes(kSide, 24) * kSide)));
}
BENCHMARK(BM_Read24Bit)->Unit(benchmark::kMillisecond);

void BM_Read16BitMasks(benchmark::State& state) {
    Decode(state, File(16, 0, Pattern(BitmapRowBytes(kSide, 16) * kSide)));
}
BENCHMARK(BM_Read16BitMasks)->Unit(benchmark::kMillisecond);

void BM_ReadRle8(benchmark::State& state) {
    // Each row: runs of 16 pixels alternating with absolute runs of 16, then end of line.
    std::vector<uint8_t> rle;
    for (int32_t y = 0; y < kSide; ++y) {
        for (int32_t x = 0; x < kSide; x += 32) {
            rle.insert(rle.end(), {16, static_cast<uint8_t>(y), 0, 16});
            for (int k = 0; k < 16; ++k)
                rle.push_back(static_cast<uint8_t>(x + k));
        }
        rle.insert(rle.end(), {0, 0});
    }
    rle.insert(rle.end(), {0, 1});
    Decode(state, File(8, 1, rle));
}
BENCHMARK(BM_ReadRle8)->Unit(benchmark::kMillisecond);

void BM_ConvertPaletteTo24Bit(benchmark::State& state) {
    const std::vector<uint8_t> file = File(8, 0, Pattern(BitmapRowBytes(kSide, 8) * kSide));
    const BitmapImage image = *ReadBitmapBytes(file.data(), file.size());
    for (auto _ : state) {
        BitmapImage rgb = ConvertTo24Bit(image);
        benchmark::DoNotOptimize(rgb.pixels.data());
    }
}
BENCHMARK(BM_ConvertPaletteTo24Bit)->Unit(benchmark::kMillisecond);

void BM_PicturePixels(benchmark::State& state) {
    const std::vector<uint8_t> file = File(24, 0, Pattern(BitmapRowBytes(kSide, 24) * kSide));
    const BitmapImage image = *ReadBitmapBytes(file.data(), file.size());
    for (auto _ : state) {
        PicturePixels pixels = MakePicturePixels(image);
        benchmark::DoNotOptimize(pixels.rgb.data());
    }
}
BENCHMARK(BM_PicturePixels)->Unit(benchmark::kMillisecond);

}  // namespace
