// The colour matrix a picture is read and written with: its own when it is
// tagged, otherwise the one players assume for its size (BT.709 for HD,
// BT.601 below), so an untagged clip looks the same after a render.
#ifndef HZ_APPS_MEDIA_COLORMATRIX_H
#define HZ_APPS_MEDIA_COLORMATRIX_H

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace media {

inline AVColorSpace EffectiveMatrix(AVColorSpace tagged, int width, int height) {
    if (tagged != AVCOL_SPC_UNSPECIFIED && tagged != AVCOL_SPC_RESERVED) return tagged;
    return width >= 1280 || height > 576 ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
}

}  // namespace media

#endif
