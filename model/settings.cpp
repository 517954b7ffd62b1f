// The colour-value conversion of the settings.
#include "model/settings.h"

namespace zarni {

namespace {

uint32_t ColorByte(float c) {
    if (!(c > 0.0f)) return 0;  // also NaN
    if (c >= 1.0f) return 255;
    return static_cast<uint32_t>(255.0 * static_cast<double>(c));
}

}  // namespace

uint32_t ColorValueFromFloats(float red, float green, float blue) {
    return ColorByte(red) + 256u * ColorByte(green) + 65536u * ColorByte(blue);
}

}  // namespace zarni
