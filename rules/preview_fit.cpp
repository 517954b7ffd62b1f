// Fitting a picture into the picture dialog's preview pane and drawing the pane.
#include "rules/preview_fit.h"

#include <algorithm>
#include <cstring>

namespace zarni {

PreviewRect FitPreview(int32_t pictureWidth, int32_t pictureHeight, int32_t paneWidth,
                       int32_t paneHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || paneWidth <= 0 || paneHeight <= 0) return {};
    const int64_t pw = pictureWidth, ph = pictureHeight, w = paneWidth, h = paneHeight;
    PreviewRect r;
    // pane height / pane width > picture height / picture width, without the divisions.
    if (h * pw > ph * w) {
        r.width = paneWidth;
        // A sliver of a picture is still shown as a line rather than as nothing.
        r.height = static_cast<int32_t>(std::max<int64_t>(1, ph * w / pw));
        r.y = (paneHeight - r.height) / 2;
    } else {
        r.height = paneHeight;
        r.width = static_cast<int32_t>(std::max<int64_t>(1, pw * h / ph));
        r.x = (paneWidth - r.width) / 2;
    }
    return r;
}

PreviewPixels RenderPreview(const BitmapImage* picture, int32_t paneWidth, int32_t paneHeight) {
    PreviewPixels out;
    if (paneWidth <= 0 || paneHeight <= 0) return out;
    out.width = paneWidth;
    out.height = paneHeight;
    out.rgb.assign(size_t{3} * paneWidth * paneHeight, kPreviewGrey);
    if (picture == nullptr) return out;
    const BitmapImage converted = picture->bits == 24 ? BitmapImage{} : ConvertTo24Bit(*picture);
    const BitmapImage& image = picture->bits == 24 ? *picture : converted;
    const PreviewRect r = FitPreview(image.width, image.height, paneWidth, paneHeight);
    ForEachScaledLine(image, r.width, r.height, [&](int32_t row, const uint8_t* bgr) {
        uint8_t* dst = &out.rgb[(size_t{1} * (r.y + row) * paneWidth + r.x) * 3];
        for (int32_t i = 0; i < r.width; ++i, dst += 3, bgr += 3) {
            dst[0] = bgr[2];
            dst[1] = bgr[1];
            dst[2] = bgr[0];
        }
    });
    return out;
}

}  // namespace zarni
