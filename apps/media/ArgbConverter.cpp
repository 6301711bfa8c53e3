#include "apps/media/ArgbConverter.h"

#include <algorithm>

#include "apps/media/ColorMatrix.h"
#include "apps/media/DitherRows.h"
#include "apps/media/Yuv420Pictures.h"

extern "C" {
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace media {

namespace {

bool IsFullRange(const AVFrame* frame) {
    return PlainFormat(frame->format) != frame->format || frame->color_range == AVCOL_RANGE_JPEG;
}

// Where the row kernels can take the frame: 8-bit 4:2:0 at its own size,
// chroma placed as they place it, in a matrix they know.
bool KernelsTake(const AVFrame* source, int width, int height, YuvMatrix* m) {
    if (PlainFormat(source->format) != AV_PIX_FMT_YUV420P) return false;
    if (source->width != width || source->height != height || source->interlaced_frame)
        return false;
    if (source->chroma_location != AVCHROMA_LOC_UNSPECIFIED &&
        source->chroma_location != AVCHROMA_LOC_LEFT)
        return false;
    return MakeYuvMatrix(EffectiveMatrix(source->colorspace, source->width, source->height),
                         IsFullRange(source), m);
}

}  // namespace

int BitsPerChannel(int format) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(format));
    int bits = 0;
    for (int c = 0; d && c < d->nb_components; ++c) bits = std::max(bits, d->comp[c].depth);
    return bits;
}

ArgbConverter::~ArgbConverter() { sws_freeContext(sws_); }

void ArgbConverter::Convert(const AVFrame* source, uint8_t* dest, int stride, int width, int height,
                            bool fast) {
    YuvMatrix m;
    if (KernelsTake(source, width, height, &m)) {
        const Yuv420Planes planes = {
            {source->data[0], source->data[1], source->data[2]},
            {source->linesize[0], source->linesize[1], source->linesize[2]}};
        Yuv420ToArgb(planes, width, height, m, dest, stride);
        return;
    }
    // swscale rounds deep frames straight to 8 bits, which bands a smooth
    // gradient: they are taken at 16 bits and dithered here instead.
    const bool deep = !fast && BitsPerChannel(source->format) > 8;
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(source->format));
    const bool alpha = d && (d->flags & AV_PIX_FMT_FLAG_ALPHA);
    const AVPixelFormat destFormat = !deep   ? AV_PIX_FMT_ARGB
                                     : alpha ? AV_PIX_FMT_GBRAP16
                                             : AV_PIX_FMT_GBRP16;
    const Key key{source->width, source->height, source->format, width, height,
                  // Exact rounding and chroma taken at every pixel: what
                  // survives the way back to YUV unchanged.
                  fast ? SWS_FAST_BILINEAR : SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT,
                  EffectiveMatrix(source->colorspace, source->width, source->height),
                  IsFullRange(source) ? 1 : 0, destFormat};
    if (!sws_ || !(key == key_)) {
        sws_freeContext(sws_);
        sws_ = sws_getContext(key.width, key.height, PlainFormat(key.format), width, height,
                              destFormat, key.flags, nullptr, nullptr, nullptr);
        if (!sws_) throw InputError("cannot convert the decoded frames to 32-bit pixels");
        sws_setColorspaceDetails(sws_, sws_getCoefficients(key.colorspace), key.fullRange,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
        key_ = key;
    }
    if (!deep) {
        uint8_t* planes[4] = {dest, nullptr, nullptr, nullptr};
        int strides[4] = {stride, 0, 0, 0};
        sws_scale(sws_, source->data, source->linesize, 0, source->height, planes, strides);
        return;
    }
    if (!deep_ || deep_->format != destFormat || deep_->width != width || deep_->height != height) {
        deep_ = NewFrame();
        deep_->format = destFormat;
        deep_->width = width;
        deep_->height = height;
        if (av_frame_get_buffer(deep_.get(), 0) < 0) throw std::bad_alloc();
    }
    sws_scale(sws_, source->data, source->linesize, 0, source->height, deep_->data,
              deep_->linesize);
    const Rgb16Planes rgb = {
        {deep_->data[0], deep_->data[1], deep_->data[2], alpha ? deep_->data[3] : nullptr},
        {deep_->linesize[0], deep_->linesize[1], deep_->linesize[2], deep_->linesize[3]}};
    DitherRgb16ToArgb(rgb, width, height, dest, stride);
}

}  // namespace media
