#include "apps/media/VideoEncoderLane.h"

#include <algorithm>
#include <cstring>

#include "apps/media/AvErrorLog.h"
#include "apps/media/ColorMatrix.h"
#include "apps/media/Yuv420Pictures.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace media {

namespace {

constexpr int cX264MaxSide = 16384;
// Rows of the encoder's pictures start on this many bytes, as FFmpeg's own.
constexpr int cPictureAlignment = 64;

bool Progressive(AVFieldOrder order) {
    return order == AV_FIELD_UNKNOWN || order == AV_FIELD_PROGRESSIVE;
}

}  // namespace

VideoEncoderLane::VideoEncoderLane(Muxer& muxer, const VideoEncoding& encoding) : muxer_(muxer) {
    const VideoFormat& f = encoding.format;
    const AVOutputFormat* format = muxer.format();
    const VideoEncoderChoice choice = ChooseVideoEncoder(format, encoding);
    const AVCodec* codec = choice.codec;
    encoder_.reset(avcodec_alloc_context3(codec));
    if (!encoder_) throw std::bad_alloc();
    AVCodecContext* enc = encoder_.get();
    enc->pix_fmt = choice.pixelFormat;
    enc->width = choice.codedWidth;
    enc->height = choice.codedHeight;
    pictureWidth_ = f.width;
    pictureHeight_ = f.height;
    // On the input's own clock every frame keeps its time; a writer with
    // no clock of its own counts frames at the frame rate.
    enc->time_base = f.timeBase.num > 0 ? f.timeBase : av_inv_q(f.frameRate);
    enc->framerate = f.frameRate;
    if (f.sampleAspect.num > 0 && f.sampleAspect.den > 0) enc->sample_aspect_ratio = f.sampleAspect;
    enc->color_range = f.range;
    // Untagged, the input was read with the matrix players assume; the
    // output says which, so it is shown the same everywhere.
    enc->colorspace = EffectiveMatrix(f.colorspace, f.width, f.height);
    enc->color_primaries = EffectivePrimaries(f.primaries, enc->colorspace);
    enc->color_trc = EffectiveTransfer(f.transfer, enc->colorspace);
    // Interlaced pictures stay interlaced, in their field order: coded as
    // progressive frames, the fields of a moving picture would be smeared.
    enc->field_order = f.fieldOrder;
    if (!Progressive(f.fieldOrder))
        enc->flags |= AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME;
    enc->thread_count = 0;
    if (format->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const std::string size = std::to_string(enc->width) + "x" + std::to_string(enc->height);
    // Refused before opening: x264 says only "invalid width x height" for a
    // side past its limit, and leaks what it had set up.
    if (std::string(codec->name) == "libx264" && std::max(enc->width, enc->height) > cX264MaxSide)
        throw OutputError("cannot start the libx264 encoder for " + size +
                          " frames: it takes at most " + std::to_string(cX264MaxSide) +
                          " pixels on a side");
    AVDictionary* options = nullptr;
    for (const auto& [key, value] : choice.options)
        av_dict_set(&options, key.c_str(), value.c_str(), 0);
    const AvErrorLog log;
    int err = avcodec_open2(enc, codec, &options);
    av_dict_free(&options);
    if (err < 0)
        throw OutputError("cannot start the " + std::string(codec->name) + " encoder for " + size +
                          " frames: " + log.Explain(err));
    DescribeStream(encoding, codec);
    PrepareConversion(f);
    words_ = choice.words;
}

VideoEncoderLane::~VideoEncoderLane() {
    sws_freeContext(sws_);
    av_buffer_pool_uninit(&picturePool_);
}

void VideoEncoderLane::DescribeStream(const VideoEncoding& encoding, const AVCodec* codec) {
    const VideoFormat& f = encoding.format;
    const AVCodecContext* enc = encoder_.get();
    stream_ = muxer_.NewStream();
    muxer_.Check(avcodec_parameters_from_context(stream_->codecpar, enc), "preparing");
    // Players on Apple's systems take HEVC in these files only tagged so.
    const std::string container = muxer_.format()->name;
    if (codec->id == AV_CODEC_ID_HEVC &&
        (container.find("mp4") != std::string::npos || container.find("mov") != std::string::npos))
        stream_->codecpar->codec_tag = MKTAG('h', 'v', 'c', '1');
    if (f.mastering.has_primaries || f.mastering.has_luminance) {
        uint8_t* copy = av_stream_new_side_data(stream_, AV_PKT_DATA_MASTERING_DISPLAY_METADATA,
                                                sizeof(f.mastering));
        if (!copy) throw std::bad_alloc();
        std::memcpy(copy, &f.mastering, sizeof(f.mastering));
    }
    if (f.hasLight) {
        uint8_t* copy =
            av_stream_new_side_data(stream_, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, sizeof(f.light));
        if (!copy) throw std::bad_alloc();
        std::memcpy(copy, &f.light, sizeof(f.light));
    }
    stream_->time_base = enc->time_base;
    stream_->avg_frame_rate = f.frameRate;
    stream_->sample_aspect_ratio = enc->sample_aspect_ratio;
}

void VideoEncoderLane::PrepareConversion(const VideoFormat& f) {
    const AVCodecContext* enc = encoder_.get();
    picturePool_ = av_buffer_pool_init(
        av_image_get_buffer_size(enc->pix_fmt, enc->width, enc->height, cPictureAlignment),
        nullptr);
    if (!picturePool_) throw std::bad_alloc();
    // Chroma shared by two rows would mix the two fields' colours: each
    // field is converted on its own, as a picture of half the height.
    const AVPixFmtDescriptor* layout = av_pix_fmt_desc_get(enc->pix_fmt);
    fieldByField_ =
        !Progressive(f.fieldOrder) && layout && layout->log2_chroma_h > 0 && enc->height % 2 == 0;
    const int convertedHeight = fieldByField_ ? enc->height / 2 : enc->height;
    sws_ = sws_getContext(enc->width, convertedHeight, AV_PIX_FMT_ARGB, enc->width, convertedHeight,
                          enc->pix_fmt, SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (!sws_) throw OutputError("cannot convert pictures for the video encoder");
    const int fullRange = f.range == AVCOL_RANGE_JPEG ? 1 : 0;
    sws_setColorspaceDetails(sws_, sws_getCoefficients(SWS_CS_DEFAULT), 1,
                             sws_getCoefficients(enc->colorspace), fullRange, 0, 1 << 16, 1 << 16);
    kernels_ = enc->pix_fmt == AV_PIX_FMT_YUV420P && Progressive(f.fieldOrder) &&
               MakeYuvMatrix(enc->colorspace, fullRange, &matrix_);
}

FramePtr VideoEncoderLane::ConvertPicture(const uint8_t* argb, int stride) {
    const AVCodecContext* enc = encoder_.get();
    FramePtr picture = NewFrame();
    picture->format = enc->pix_fmt;
    picture->width = enc->width;
    picture->height = enc->height;
    picture->buf[0] = av_buffer_pool_get(picturePool_);
    if (!picture->buf[0]) throw std::bad_alloc();
    muxer_.Check(av_image_fill_arrays(picture->data, picture->linesize, picture->buf[0]->data,
                                      enc->pix_fmt, enc->width, enc->height, cPictureAlignment),
                 "preparing");
    if (picture->width != pictureWidth_ || picture->height != pictureHeight_) {
        // The coded size is one larger: the last column and row repeat.
        const int codedStride = picture->width * 4;
        padded_.resize(static_cast<size_t>(codedStride) * picture->height);
        for (int y = 0; y < picture->height; ++y) {
            const uint8_t* from =
                argb + static_cast<ptrdiff_t>(std::min(y, pictureHeight_ - 1)) * stride;
            uint8_t* to = padded_.data() + static_cast<size_t>(y) * codedStride;
            std::copy_n(from, pictureWidth_ * 4, to);
            for (int x = pictureWidth_; x < picture->width; ++x)
                std::copy_n(from + (pictureWidth_ - 1) * 4, 4, to + x * 4);
        }
        argb = padded_.data();
        stride = codedStride;
    }
    if (kernels_) {
        const Yuv420Planes to = {
            {picture->data[0], picture->data[1], picture->data[2]},
            {picture->linesize[0], picture->linesize[1], picture->linesize[2]}};
        ArgbToYuv420(argb, stride, picture->width, picture->height, matrix_, to);
    } else {
        const int fields = fieldByField_ ? 2 : 1;
        for (int field = 0; field < fields; ++field) {
            const uint8_t* planes[4] = {argb + static_cast<ptrdiff_t>(field) * stride, nullptr,
                                        nullptr, nullptr};
            const int strides[4] = {stride * fields, 0, 0, 0};
            uint8_t* to[4] = {};
            int toStrides[4] = {};
            for (int i = 0; i < 4 && picture->data[i]; ++i) {
                to[i] = picture->data[i] + static_cast<ptrdiff_t>(field) * picture->linesize[i];
                toStrides[i] = picture->linesize[i] * fields;
            }
            sws_scale(sws_, planes, strides, 0, picture->height / fields, to, toStrides);
        }
    }
    return picture;
}

void VideoEncoderLane::EncodePicture(AVFrame* picture, int64_t pts) {
    picture->pts = pts;
    // Some encoders (ProRes) describe the colours of each frame from the
    // frame itself.
    const AVCodecContext* enc = encoder_.get();
    picture->color_primaries = enc->color_primaries;
    picture->color_trc = enc->color_trc;
    picture->colorspace = enc->colorspace;
    picture->color_range = enc->color_range;
    const AVFieldOrder order = encoder_->field_order;
    picture->interlaced_frame = order != AV_FIELD_UNKNOWN && order != AV_FIELD_PROGRESSIVE;
    picture->top_field_first = order == AV_FIELD_TT || order == AV_FIELD_TB;
    muxer_.Encode(encoder_.get(), stream_, picture);
}

}  // namespace media
