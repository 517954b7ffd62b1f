// The picture dialog's preview pane without a display: where a picture goes when it is fitted
// into the pane, and the pane's pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "formats/bitmap.h"

namespace zarni {

struct PreviewRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool operator==(const PreviewRect& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

// The rectangle a picture is drawn in, aspect ratio kept and centred: as wide as the pane when
// the pane is relatively taller than the picture, else as high as the pane; the other side in
// integer arithmetic, at least one pixel. Empty when the pane or the picture is empty.
PreviewRect FitPreview(int32_t pictureWidth, int32_t pictureHeight, int32_t paneWidth,
                       int32_t paneHeight);

// The colour of a pane without a picture: the desktop's dark grey.
constexpr uint8_t kPreviewGrey = 64;

// The pane's pixels, red, green, blue, rows top first and packed.
struct PreviewPixels {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;
};

// A dark grey pane with `picture` (any bit depth; none when it could not be read) stretched
// nearest-neighbour into its fitted rectangle.
PreviewPixels RenderPreview(const BitmapImage* picture, int32_t paneWidth, int32_t paneHeight);

}  // namespace zarni
