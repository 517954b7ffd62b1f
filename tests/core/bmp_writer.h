// Small 24-bit BMP files written by tests: a picture of four coloured quarters, whose corners
// show where each part of it lands.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace zarni::testing_files {

using Rgb8 = std::array<uint8_t, 3>;

// The quarters, as the picture is seen upright.
constexpr Rgb8 kTopLeft{{230, 30, 30}};
constexpr Rgb8 kTopRight{{30, 200, 40}};
constexpr Rgb8 kBottomLeft{{40, 60, 220}};
constexpr Rgb8 kBottomRight{{240, 220, 20}};

inline Rgb8 QuarterColor(int x, int y, int width, int height) {
    const bool right = x >= width / 2;
    const bool bottom = y >= height / 2;  // y counts down from the top row
    return bottom ? (right ? kBottomRight : kBottomLeft) : (right ? kTopRight : kTopLeft);
}

// Top-down red-green-blue pixels of the quartered picture.
inline std::vector<uint8_t> QuarterPixels(int width, int height) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb8 c = QuarterColor(x, y, width, height);
            for (int i = 0; i < 3; ++i)
                rgb[(static_cast<size_t>(y) * width + x) * 3 + i] = c[i];
        }
    }
    return rgb;
}

// The bytes of a bottom-up 24-bit BMP file with the quartered picture.
inline std::string QuarterBmp(int width, int height) {
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
    std::string b;
    auto u16 = [&b](uint32_t v) {
        b.push_back(static_cast<char>(v & 0xFF));
        b.push_back(static_cast<char>((v >> 8) & 0xFF));
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    b += "BM";
    u32(54 + imageBytes);
    u32(0);
    u32(54);
    u32(40);
    u32(static_cast<uint32_t>(width));
    u32(static_cast<uint32_t>(height));
    u16(1);
    u16(24);
    u32(0);
    u32(imageBytes);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int row = height - 1; row >= 0; --row) {
        for (int x = 0; x < width; ++x) {
            const Rgb8 c = QuarterColor(x, row, width, height);
            b.push_back(static_cast<char>(c[2]));
            b.push_back(static_cast<char>(c[1]));
            b.push_back(static_cast<char>(c[0]));
        }
        b.append(rowBytes - static_cast<uint32_t>(width) * 3, '\0');
    }
    return b;
}

inline void WriteQuarterBmp(const std::string& path, int width, int height) {
    std::ofstream(path, std::ios::binary) << QuarterBmp(width, height);
}

}  // namespace zarni::testing_files
