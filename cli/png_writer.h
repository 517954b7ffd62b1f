// PNG files through libpng, written with the atomic writer so a failed write leaves any old
// file as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarni::cli {

// Writes an 8-bit RGB image: `rgb` holds `height` rows of `width` red-green-blue triples, top
// row first, rows packed. False with a reason in `why` when the sizes do not match the pixels
// or the file cannot be written.
bool WritePngFile(const std::string& path, int32_t width, int32_t height,
                  const std::vector<uint8_t>& rgb, std::string* why = nullptr);

}  // namespace zarni::cli
