// One colour matrix and range as the integer terms the 8-bit 4:2:0 row
// kernels use, both ways. Terms are scaled by 2^16 so every result rounds
// as the exact arithmetic would, bar a tie now and then.
#ifndef HZ_APPS_MEDIA_YUVMATRIX_H
#define HZ_APPS_MEDIA_YUVMATRIX_H

#include <cstdint>

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace media {

struct YuvMatrix {
    // To RGB: R = yScale * (Y - yOffset) + vToR * (V - 128), and so on.
    int32_t yScale, yOffset;
    int32_t vToR, uToG, vToG, uToB;  // uToG and vToG are subtracted
    // From RGB: Y = yOffset + yFromR * R + ...; U and V are centred on 128.
    int32_t yFromR, yFromG, yFromB;
    int32_t uFromR, uFromG, uFromB;
    int32_t vFromR, vFromG, vFromB;
};

// False for a matrix the kernels do not know (they know BT.601, BT.709 and
// BT.2020 non-constant luminance); swscale converts those.
bool MakeYuvMatrix(AVColorSpace matrix, bool fullRange, YuvMatrix* out);

}  // namespace media

#endif
