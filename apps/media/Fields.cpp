#include "apps/media/Fields.h"

#include <cstring>
#include <new>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace media {

bool IsInterlaced(AVFieldOrder order) {
    return order == AV_FIELD_TT || order == AV_FIELD_BB || order == AV_FIELD_TB ||
           order == AV_FIELD_BT;
}

FramePtr FieldOf(const AVFrame* frame, int field) {
    FramePtr view = NewFrame();
    if (av_frame_ref(view.get(), frame) < 0) throw std::bad_alloc();
    const int planes = av_pix_fmt_count_planes(static_cast<AVPixelFormat>(frame->format));
    for (int i = 0; i < planes; ++i) {
        view->data[i] += field * view->linesize[i];
        view->linesize[i] *= 2;
    }
    view->height = field == 0 ? (frame->height + 1) / 2 : frame->height / 2;
    view->interlaced_frame = 0;
    return view;
}

void FillOtherField(uint8_t* argb, int stride, int width, int height, int field) {
    const size_t bytes = static_cast<size_t>(width) * 4;
    for (int y = 1 - field; y < height; y += 2) {
        uint8_t* row = argb + static_cast<ptrdiff_t>(y) * stride;
        const uint8_t* above = y > 0 ? row - stride : nullptr;
        const uint8_t* below = y + 1 < height ? row + stride : nullptr;
        if (above && below) {
            for (size_t i = 0; i < bytes; ++i)
                row[i] = static_cast<uint8_t>((above[i] + below[i] + 1) >> 1);
        } else {
            std::memcpy(row, above ? above : below, bytes);
        }
    }
}

void CopyField(const uint8_t* from, int fromStride, uint8_t* to, int toStride, int width,
               int height, int field) {
    for (int y = field; y < height; y += 2)
        std::memcpy(to + static_cast<ptrdiff_t>(y) * toStride,
                    from + static_cast<ptrdiff_t>(y) * fromStride, static_cast<size_t>(width) * 4);
}

}  // namespace media
