// One colour matrix and range as the integer terms the 8-bit 4:2:0 row
// kernels use, both ways, fine enough that a result is off the exactly
// rounded one by a step only where the exact one is within a few
// hundredths of halfway.
#ifndef HZ_APPS_MEDIA_YUVMATRIX_H
#define HZ_APPS_MEDIA_YUVMATRIX_H

#include <cstdint>

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace media {

struct YuvMatrix {
    // To RGB, scaled by 2^14: R = yScale * (Y - yOffset) + vToR * (V8 - 8 *
    // 128), and so on, with chroma V8 at eight times its value. Each term
    // fits in 16 bits, for SIMD multiply-adds.
    int32_t yScale, yOffset;
    int32_t vToR, uToG, vToG, uToB;  // uToG and vToG are subtracted
    // From RGB, scaled by 2^16: Y = yOffset + yFromR * R + ...; U and V are
    // centred on 128.
    int32_t yFromR, yFromG, yFromB;
    int32_t uFromR, uFromG, uFromB;
    int32_t vFromR, vFromG, vFromB;
};

// False for a matrix the kernels do not know (they know BT.601, BT.709 and
// BT.2020 non-constant luminance); swscale converts those.
bool MakeYuvMatrix(AVColorSpace matrix, bool fullRange, YuvMatrix* out);

}  // namespace media

#endif
