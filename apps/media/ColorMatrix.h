// How a picture's colours are described. The colour matrix it is read and
// written with is its own when it is tagged, otherwise the one players
// assume for its size (BT.709 for HD, BT.601 below), so an untagged clip
// looks the same after a render.
#ifndef HZ_APPS_MEDIA_COLORMATRIX_H
#define HZ_APPS_MEDIA_COLORMATRIX_H

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace media {

// The full-range (yuvj) formats are their plain formats with the range said
// apart, which is how swscale and the encoders want them.
inline AVPixelFormat PlainFormat(int format) {
    switch (format) {
        case AV_PIX_FMT_YUVJ420P:
            return AV_PIX_FMT_YUV420P;
        case AV_PIX_FMT_YUVJ422P:
            return AV_PIX_FMT_YUV422P;
        case AV_PIX_FMT_YUVJ444P:
            return AV_PIX_FMT_YUV444P;
        case AV_PIX_FMT_YUVJ440P:
            return AV_PIX_FMT_YUV440P;
        case AV_PIX_FMT_YUVJ411P:
            return AV_PIX_FMT_YUV411P;
        default:
            return static_cast<AVPixelFormat>(format);
    }
}

inline AVColorSpace EffectiveMatrix(AVColorSpace tagged, int width, int height) {
    if (tagged != AVCOL_SPC_UNSPECIFIED && tagged != AVCOL_SPC_RESERVED) return tagged;
    return width >= 1280 || height > 576 ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
}

// The primaries and transfer that go with a matrix, where a clip says only
// the matrix: QuickTime files keep a clip's colour description only whole
// (ProRes has nowhere else to keep it), and players assume these anyway.
inline AVColorPrimaries EffectivePrimaries(AVColorPrimaries tagged, AVColorSpace matrix) {
    if (tagged != AVCOL_PRI_UNSPECIFIED && tagged != AVCOL_PRI_RESERVED) return tagged;
    switch (matrix) {
        case AVCOL_SPC_BT709:
            return AVCOL_PRI_BT709;
        case AVCOL_SPC_SMPTE170M:
            return AVCOL_PRI_SMPTE170M;
        case AVCOL_SPC_BT470BG:
            return AVCOL_PRI_BT470BG;
        case AVCOL_SPC_BT2020_NCL:
            return AVCOL_PRI_BT2020;
        default:
            return tagged;
    }
}

inline AVColorTransferCharacteristic EffectiveTransfer(AVColorTransferCharacteristic tagged,
                                                       AVColorSpace matrix) {
    if (tagged != AVCOL_TRC_UNSPECIFIED && tagged != AVCOL_TRC_RESERVED) return tagged;
    switch (matrix) {
        case AVCOL_SPC_BT709:
        case AVCOL_SPC_SMPTE170M:
        case AVCOL_SPC_BT470BG:
            return AVCOL_TRC_BT709;
        case AVCOL_SPC_BT2020_NCL:
            return AVCOL_TRC_BT2020_10;
        default:
            return tagged;
    }
}

}  // namespace media

#endif
