// Whole 8-bit 4:2:0 pictures to and from the plug-in's ARGB at the same
// size: the common case of a render, done by the row kernels, several
// times quicker than swscale's exact path and as close to the colours.
#ifndef HZ_APPS_MEDIA_YUV420PICTURES_H
#define HZ_APPS_MEDIA_YUV420PICTURES_H

#include <cstdint>

#include "apps/media/YuvMatrix.h"

namespace media {

// Planes Y, U, V with their strides; the chroma planes are half size,
// rounded up.
struct Yuv420Planes {
    uint8_t* data[3];
    int stride[3];
};

void Yuv420ToArgb(const Yuv420Planes& from, int width, int height, const YuvMatrix& m,
                  uint8_t* argb, int stride);
void ArgbToYuv420(const uint8_t* argb, int stride, int width, int height, const YuvMatrix& m,
                  const Yuv420Planes& to);

}  // namespace media

#endif
