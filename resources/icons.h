// The palette and object-list icons (resource ids 297..351, 401, 402) as PNG files built into
// the program. Display-free; ui/icon_bitmaps.h turns them into bitmaps.
#pragma once

#include <cstddef>
#include <vector>

namespace zarni {

// Every icon is a 32 x 32 RGBA PNG, drawn at its cell's top-left corner; what lies outside the
// cell is transparent.
constexpr int kIconSize = 32;

// One icon's PNG file.
struct IconData {
    const unsigned char* bytes = nullptr;
    size_t size = 0;
};

// The icon with this resource id; empty (nullptr, 0) for an id without one.
IconData FindIcon(int id);

// The ids of all built-in icons, ascending.
std::vector<int> IconIds();

}  // namespace zarni
