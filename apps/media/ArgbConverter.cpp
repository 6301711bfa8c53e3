#include "apps/media/ArgbConverter.h"

extern "C" {
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace media {

namespace {

bool IsFullRange(const AVFrame* frame) {
    switch (frame->format) {
        case AV_PIX_FMT_YUVJ420P:
        case AV_PIX_FMT_YUVJ422P:
        case AV_PIX_FMT_YUVJ444P:
        case AV_PIX_FMT_YUVJ440P:
        case AV_PIX_FMT_YUVJ411P:
            return true;
        default:
            return frame->color_range == AVCOL_RANGE_JPEG;
    }
}

}  // namespace

ArgbConverter::~ArgbConverter() { sws_freeContext(sws_); }

void ArgbConverter::Convert(const AVFrame* source, uint8_t* dest, int stride, int width, int height,
                            bool fast) {
    const int flags = fast ? SWS_FAST_BILINEAR : SWS_BICUBIC;
    SwsContext* previous = sws_;
    sws_ = sws_getCachedContext(sws_, source->width, source->height,
                                static_cast<AVPixelFormat>(source->format), width, height,
                                AV_PIX_FMT_ARGB, flags, nullptr, nullptr, nullptr);
    if (!sws_) throw InputError("cannot convert the decoded frames to 32-bit pixels");
    const int range = IsFullRange(source) ? 1 : 0;
    if (sws_ != previous || range != fullRange_ || source->colorspace != colorspace_) {
        const int* coefficients = sws_getCoefficients(source->colorspace);
        sws_setColorspaceDetails(sws_, coefficients, range, sws_getCoefficients(SWS_CS_DEFAULT), 1,
                                 0, 1 << 16, 1 << 16);
        fullRange_ = range;
        colorspace_ = source->colorspace;
    }
    uint8_t* planes[4] = {dest, nullptr, nullptr, nullptr};
    int strides[4] = {stride, 0, 0, 0};
    sws_scale(sws_, source->data, source->linesize, 0, source->height, planes, strides);
}

}  // namespace media
