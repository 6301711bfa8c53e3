// 16-bit RGB planes into the plug-in's 8-bit ARGB with a dither: a smooth
// gradient from a deeper source keeps its in-between levels as fine noise
// instead of breaking into bands a few pixels wide.
#ifndef HZ_APPS_MEDIA_DITHERROWS_H
#define HZ_APPS_MEDIA_DITHERROWS_H

#include <cstdint>

namespace media {

// Planes in swscale's planar RGB order (green, blue, red, then alpha or
// nullptr, for opaque), strides in bytes.
struct Rgb16Planes {
    const uint8_t* data[4];
    int stride[4];
};

// Values that are exact 8-bit levels (multiples of 257) come out unchanged;
// the others as a mix of the two nearest levels whose mean is the value.
void DitherRgb16ToArgb(const Rgb16Planes& from, int width, int height, uint8_t* argb, int stride);

}  // namespace media

#endif
