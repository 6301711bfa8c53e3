#include "apps/media/OutputFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "apps/media/ColorMatrix.h"
#include "apps/media/Orientation.h"
#include "apps/media/Yuv420Pictures.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "apps/media/AvErrorLog.h"

namespace media {

namespace {

constexpr int cX264MaxSide = 16384;
// Rows of the encoder's pictures start on this many bytes, as FFmpeg's own.
constexpr int kPictureAlignment = 64;

// Timestamps of decoded audio jitter by a few samples; closer than this,
// a chunk continues the previous one rather than leaving a hole.
constexpr int kAudioSlackDivisor = 500;  // 2 ms
constexpr int kFallbackAudioFrameSize = 1024;

struct SampleBuffer {
    uint8_t** planes = nullptr;
    ~SampleBuffer() {
        if (planes) av_freep(&planes[0]);
        av_freep(&planes);
    }
};

}  // namespace

OutputFile::OutputFile(const std::string& path, bool overwrite)
    : path_(path, overwrite), packet_(NewPacket()) {
    format_ = av_guess_format(nullptr, path.c_str(), nullptr);
    if (!format_)
        throw OutputError("cannot tell a container from the name " + path +
                          "; end it in .mp4, .mkv or .mov");
    if (format_->flags & AVFMT_NOFILE)
        throw OutputError(path + ": image sequences are not written; name a video file");
    int err = avformat_alloc_output_context2(&muxer_, format_, nullptr, path_.temporary().c_str());
    if (err < 0) throw OutputError("cannot prepare " + path + ": " + AvErrorText(err));
}

OutputFile::~OutputFile() {
    sws_freeContext(sws_);
    av_buffer_pool_uninit(&picturePool_);
    swr_free(&swr_);
    if (fifo_) av_audio_fifo_free(fifo_);
    av_channel_layout_uninit(&swrLayout_);
    if (muxer_) {
        if (muxer_->pb) avio_closep(&muxer_->pb);
        avformat_free_context(muxer_);
    }
}

void OutputFile::Check(int err, const char* what) {
    if (err < 0)
        throw OutputError(std::string(what) + " " + path_.path() + " failed: " + AvErrorText(err));
}

std::string OutputFile::AddVideo(const VideoEncoding& encoding) {
    const VideoFormat& f = encoding.format;
    const VideoEncoderChoice choice = ChooseVideoEncoder(format_, encoding);
    const AVCodec* codec = choice.codec;
    videoEncoder_.reset(avcodec_alloc_context3(codec));
    if (!videoEncoder_) throw std::bad_alloc();
    AVCodecContext* enc = videoEncoder_.get();
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
    if (f.fieldOrder != AV_FIELD_UNKNOWN && f.fieldOrder != AV_FIELD_PROGRESSIVE)
        enc->flags |= AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME;
    enc->thread_count = 0;
    if (format_->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
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

    videoStream_ = avformat_new_stream(muxer_, nullptr);
    if (!videoStream_) throw std::bad_alloc();
    Check(avcodec_parameters_from_context(videoStream_->codecpar, enc), "preparing");
    // Players on Apple's systems take HEVC in these files only tagged so.
    const std::string container = format_->name;
    if (codec->id == AV_CODEC_ID_HEVC &&
        (container.find("mp4") != std::string::npos || container.find("mov") != std::string::npos))
        videoStream_->codecpar->codec_tag = MKTAG('h', 'v', 'c', '1');
    if (f.mastering.has_primaries || f.mastering.has_luminance) {
        uint8_t* copy = av_stream_new_side_data(
            videoStream_, AV_PKT_DATA_MASTERING_DISPLAY_METADATA, sizeof(f.mastering));
        if (!copy) throw std::bad_alloc();
        std::memcpy(copy, &f.mastering, sizeof(f.mastering));
    }
    if (f.hasLight) {
        uint8_t* copy =
            av_stream_new_side_data(videoStream_, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, sizeof(f.light));
        if (!copy) throw std::bad_alloc();
        std::memcpy(copy, &f.light, sizeof(f.light));
    }
    videoStream_->time_base = enc->time_base;
    videoStream_->avg_frame_rate = f.frameRate;
    videoStream_->sample_aspect_ratio = enc->sample_aspect_ratio;

    picturePool_ = av_buffer_pool_init(
        av_image_get_buffer_size(enc->pix_fmt, enc->width, enc->height, kPictureAlignment),
        nullptr);
    if (!picturePool_) throw std::bad_alloc();
    const bool progressive =
        f.fieldOrder == AV_FIELD_UNKNOWN || f.fieldOrder == AV_FIELD_PROGRESSIVE;
    // Chroma shared by two rows would mix the two fields' colours: each
    // field is converted on its own, as a picture of half the height.
    const AVPixFmtDescriptor* layout = av_pix_fmt_desc_get(enc->pix_fmt);
    fieldByField_ = !progressive && layout && layout->log2_chroma_h > 0 && enc->height % 2 == 0;
    const int convertedHeight = fieldByField_ ? enc->height / 2 : enc->height;
    sws_ = sws_getContext(enc->width, convertedHeight, AV_PIX_FMT_ARGB, enc->width, convertedHeight,
                          enc->pix_fmt, SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (!sws_) throw OutputError("cannot convert pictures for the video encoder");
    const int fullRange = f.range == AVCOL_RANGE_JPEG ? 1 : 0;
    sws_setColorspaceDetails(sws_, sws_getCoefficients(SWS_CS_DEFAULT), 1,
                             sws_getCoefficients(enc->colorspace), fullRange, 0, 1 << 16, 1 << 16);
    kernels_ = enc->pix_fmt == AV_PIX_FMT_YUV420P && progressive &&
               MakeYuvMatrix(enc->colorspace, fullRange, &matrix_);

    return choice.words;
}

// The codec lists of some muxers name codecs they then refuse at the
// header (FLAC in MP4 wants an experimental switch, in MOV it is refused):
// only a header written into memory tells.
bool OutputFile::CanCopy(const AVCodecParameters* source) const {
    if (avformat_query_codec(format_, source->codec_id, FF_COMPLIANCE_NORMAL) == 0) return false;
    AVFormatContext* trial = nullptr;
    if (avformat_alloc_output_context2(&trial, format_, nullptr, nullptr) < 0) return false;
    bool written = false;
    AVStream* stream = avformat_new_stream(trial, nullptr);
    if (stream && avcodec_parameters_copy(stream->codecpar, source) >= 0 &&
        avio_open_dyn_buf(&trial->pb) >= 0) {
        stream->codecpar->codec_tag = 0;
        stream->time_base = AVRational{1, source->sample_rate > 0 ? source->sample_rate : 90000};
        written = avformat_write_header(trial, nullptr) >= 0;
        uint8_t* bytes = nullptr;
        avio_close_dyn_buf(trial->pb, &bytes);
        av_free(bytes);
        trial->pb = nullptr;
    }
    avformat_free_context(trial);
    return written;
}

void OutputFile::AddAudioCopy(const AVStream* source) {
    audioStream_ = avformat_new_stream(muxer_, nullptr);
    if (!audioStream_) throw std::bad_alloc();
    Check(avcodec_parameters_copy(audioStream_->codecpar, source->codecpar), "preparing");
    audioStream_->codecpar->codec_tag = 0;
    audioStream_->time_base = source->time_base;
}

std::string OutputFile::AddAudioEncoder(int sampleRate, const AVChannelLayout& layout,
                                        const std::string& encoder) {
    const AVCodec* codec = nullptr;
    if (!encoder.empty()) {
        codec = avcodec_find_encoder_by_name(encoder.c_str());
        if (!codec || codec->type != AVMEDIA_TYPE_AUDIO)
            throw EncodingError("there is no audio encoder called '" + encoder + "' here");
        if (avformat_query_codec(format_, codec->id, FF_COMPLIANCE_NORMAL) == 0)
            throw EncodingError(std::string(format_->name) + " files cannot hold " +
                                avcodec_get_name(codec->id) + " audio (" + encoder + ")");
    }
    // As for the video, MPEG-TS does not list the AAC it takes.
    if (!codec && (avformat_query_codec(format_, AV_CODEC_ID_AAC, FF_COMPLIANCE_NORMAL) == 1 ||
                   std::string(format_->name) == "mpegts"))
        codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec)
        codec = avcodec_find_encoder(
            av_guess_codec(format_, nullptr, path_.path().c_str(), nullptr, AVMEDIA_TYPE_AUDIO));
    if (!codec) throw OutputError("no audio encoder for " + std::string(format_->name) + " files");
    audioEncoder_.reset(avcodec_alloc_context3(codec));
    if (!audioEncoder_) throw std::bad_alloc();
    AVCodecContext* enc = audioEncoder_.get();

    enc->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    enc->sample_rate = sampleRate;
    if (codec->supported_samplerates) {
        int best = codec->supported_samplerates[0];
        for (const int* r = codec->supported_samplerates; *r; ++r)
            if (std::abs(*r - sampleRate) < std::abs(best - sampleRate)) best = *r;
        enc->sample_rate = best;
    }
    AVChannelLayout wanted{};
    if (layout.order == AV_CHANNEL_ORDER_UNSPEC || layout.nb_channels <= 0)
        av_channel_layout_default(&wanted, std::max(1, layout.nb_channels));
    else
        av_channel_layout_copy(&wanted, &layout);
    if (codec->ch_layouts) {
        bool supported = false;
        for (const AVChannelLayout* l = codec->ch_layouts; l->nb_channels; ++l)
            supported = supported || av_channel_layout_compare(l, &wanted) == 0;
        if (!supported) {
            av_channel_layout_uninit(&wanted);
            av_channel_layout_default(&wanted, layout.nb_channels >= 2 ? 2 : 1);
        }
    }
    av_channel_layout_copy(&enc->ch_layout, &wanted);
    av_channel_layout_uninit(&wanted);
    enc->bit_rate = std::min(64000 * enc->ch_layout.nb_channels, 320000);
    enc->time_base = {1, enc->sample_rate};
    if (format_->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int err = avcodec_open2(enc, codec, nullptr);
    if (err < 0)
        throw OutputError("cannot start the " + std::string(codec->name) +
                          " encoder: " + AvErrorText(err));
    audioStream_ = avformat_new_stream(muxer_, nullptr);
    if (!audioStream_) throw std::bad_alloc();
    Check(avcodec_parameters_from_context(audioStream_->codecpar, enc), "preparing");
    audioStream_->time_base = enc->time_base;
    fifo_ = av_audio_fifo_alloc(enc->sample_fmt, enc->ch_layout.nb_channels,
                                enc->frame_size > 0 ? enc->frame_size : kFallbackAudioFrameSize);
    if (!fifo_) throw std::bad_alloc();
    char layoutName[64] = {};
    av_channel_layout_describe(&enc->ch_layout, layoutName, sizeof layoutName);
    return std::string(codec->long_name ? codec->long_name : codec->name) + ", " +
           std::to_string(enc->sample_rate) + " Hz " + layoutName;
}

int OutputFile::audioSampleRate() const { return audioEncoder_ ? audioEncoder_->sample_rate : 0; }

void OutputFile::CopyContainerDescription(const AVFormatContext* source, double from, double to) {
    // What the muxer writes of its own would be stale if copied.
    for (const AVDictionaryEntry* tag = nullptr;
         (tag = av_dict_get(source->metadata, "", tag, AV_DICT_IGNORE_SUFFIX));) {
        const std::string key = tag->key;
        if (key != "encoder" && key != "major_brand" && key != "minor_version" &&
            key != "compatible_brands")
            av_dict_set(&muxer_->metadata, tag->key, tag->value, 0);
    }
    for (unsigned i = 0; i < source->nb_chapters; ++i) {
        const AVChapter* c = source->chapters[i];
        const double start = std::max(c->start * av_q2d(c->time_base), from);
        const double end = std::min(c->end * av_q2d(c->time_base), to);
        if (end <= start) continue;
        auto* copy = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
        if (!copy) throw std::bad_alloc();
        copy->id = c->id;
        copy->time_base = AVRational{1, 1000};
        copy->start = std::llround((start - from) * 1000);
        copy->end = std::llround((end - from) * 1000);
        av_dict_copy(&copy->metadata, c->metadata, 0);
        int count = static_cast<int>(muxer_->nb_chapters);
        av_dynarray_add(&muxer_->chapters, &count, copy);
        if (!muxer_->chapters) throw std::bad_alloc();
        muxer_->nb_chapters = static_cast<unsigned>(count);
    }
}

std::vector<std::string> OutputFile::CopyDescription(const InputFile& in, double from, double to) {
    std::vector<std::string> lost;
    CopyContainerDescription(in.container(), from, to);
    if (videoStream_) {
        const AVStream* video = in.videoStream();
        av_dict_copy(&videoStream_->metadata, video->metadata, 0);
        av_dict_set(&videoStream_->metadata, "encoder", nullptr, 0);
        const int32_t* matrix = DisplayMatrixOf(video);
        if (keepRotation_ && matrix && CanHoldRotation()) {
            const size_t size = 9 * sizeof(int32_t);
            uint8_t* copy = av_stream_new_side_data(videoStream_, AV_PKT_DATA_DISPLAYMATRIX, size);
            if (!copy) throw std::bad_alloc();
            std::memcpy(copy, matrix, size);
        } else if (keepRotation_ && matrix) {
            lost.push_back("video stream " + std::to_string(video->index) +
                           ": its display rotation (" + format_->name +
                           " files cannot hold it; write .mp4 or .mov to keep it)");
        }
    }
    if (audioStream_ && in.audioStream())
        av_dict_copy(&audioStream_->metadata, in.audioStream()->metadata, 0);
    return lost;
}

bool OutputFile::CanHoldRotation() const {
    const std::string name = format_->name;
    return name.find("mp4") != std::string::npos || name.find("mov") != std::string::npos;
}

int OutputFile::AddStreamCopy(const AVStream* source) {
    AVStream* stream = avformat_new_stream(muxer_, nullptr);
    if (!stream) throw std::bad_alloc();
    Check(avcodec_parameters_copy(stream->codecpar, source->codecpar), "preparing");
    stream->codecpar->codec_tag = 0;
    stream->time_base = source->time_base;
    stream->avg_frame_rate = source->avg_frame_rate;
    stream->sample_aspect_ratio = source->sample_aspect_ratio;
    stream->disposition = source->disposition;
    av_dict_copy(&stream->metadata, source->metadata, 0);
    for (int i = 0; i < source->nb_side_data; ++i) {
        const AVPacketSideData& side = source->side_data[i];
        uint8_t* copy = av_stream_new_side_data(stream, side.type, side.size);
        if (!copy) throw std::bad_alloc();
        std::copy_n(side.data, side.size, copy);
    }
    return stream->index;
}

void OutputFile::WriteCopiedPacket(int stream, AVPacket* packet, AVRational timeBase,
                                   double origin) {
    tally_.Count(stream, packet, timeBase, origin);
    const int64_t shift = std::llround(origin / av_q2d(timeBase));
    if (packet->pts != AV_NOPTS_VALUE) packet->pts -= shift;
    if (packet->dts != AV_NOPTS_VALUE) packet->dts -= shift;
    av_packet_rescale_ts(packet, timeBase, muxer_->streams[stream]->time_base);
    packet->stream_index = stream;
    packet->pos = -1;
    Check(av_interleaved_write_frame(muxer_, packet), "writing");
}

void OutputFile::Start() {
    int err = avio_open(&muxer_->pb, path_.temporary().c_str(), AVIO_FLAG_WRITE);
    if (err < 0) throw OutputError("cannot write " + path_.path() + ": " + AvErrorText(err));
    Check(avformat_write_header(muxer_, nullptr), "writing");
    started_ = true;
}

int64_t OutputFile::bytesWritten() const {
    return muxer_ && muxer_->pb ? avio_tell(muxer_->pb) : 0;
}

void OutputFile::Encode(AVCodecContext* encoder, AVStream* stream, const AVFrame* frame) {
    int err = avcodec_send_frame(encoder, frame);
    if (err == AVERROR_EOF && !frame) return;
    Check(err, "encoding");
    for (;;) {
        err = avcodec_receive_packet(encoder, packet_.get());
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return;
        Check(err, "encoding");
        tally_.Count(stream->index, packet_.get(), encoder->time_base);
        av_packet_rescale_ts(packet_.get(), encoder->time_base, stream->time_base);
        packet_->stream_index = stream->index;
        Check(av_interleaved_write_frame(muxer_, packet_.get()), "writing");
    }
}

void OutputFile::WriteVideo(const uint8_t* argb, int stride, int64_t pts) {
    EncodePicture(ConvertPicture(argb, stride).get(), pts);
}

FramePtr OutputFile::ConvertPicture(const uint8_t* argb, int stride) {
    const AVCodecContext* enc = videoEncoder_.get();
    FramePtr picture = NewFrame();
    picture->format = enc->pix_fmt;
    picture->width = enc->width;
    picture->height = enc->height;
    picture->buf[0] = av_buffer_pool_get(picturePool_);
    if (!picture->buf[0]) throw std::bad_alloc();
    Check(av_image_fill_arrays(picture->data, picture->linesize, picture->buf[0]->data,
                               enc->pix_fmt, enc->width, enc->height, kPictureAlignment),
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

void OutputFile::EncodePicture(AVFrame* picture, int64_t pts) {
    picture->pts = pts;
    // Some encoders (ProRes) describe the colours of each frame from the
    // frame itself.
    const AVCodecContext* enc = videoEncoder_.get();
    picture->color_primaries = enc->color_primaries;
    picture->color_trc = enc->color_trc;
    picture->colorspace = enc->colorspace;
    picture->color_range = enc->color_range;
    const AVFieldOrder order = videoEncoder_->field_order;
    picture->interlaced_frame = order != AV_FIELD_UNKNOWN && order != AV_FIELD_PROGRESSIVE;
    picture->top_field_first = order == AV_FIELD_TT || order == AV_FIELD_TB;
    Encode(videoEncoder_.get(), videoStream_, picture);
}

void OutputFile::WriteAudioPacket(AVPacket* packet, AVRational timeBase, double origin) {
    WriteCopiedPacket(audioStream_->index, packet, timeBase, origin);
}

void OutputFile::PushAudio(uint8_t** planes, int count) {
    if (count <= 0) return;
    if (av_audio_fifo_write(fifo_, reinterpret_cast<void**>(planes), count) < count)
        throw std::bad_alloc();
    audioWritten_ += count;
    EncodeAudio(false);
}

void OutputFile::PushSilence(int64_t count) {
    if (count <= 0) return;
    AVCodecContext* enc = audioEncoder_.get();
    const int channels = enc->ch_layout.nb_channels;
    const int chunk = static_cast<int>(std::min<int64_t>(count, 1 << 16));
    SampleBuffer silence;
    Check(av_samples_alloc_array_and_samples(&silence.planes, nullptr, channels, chunk,
                                             enc->sample_fmt, 0),
          "encoding");
    av_samples_set_silence(silence.planes, 0, chunk, channels, enc->sample_fmt);
    for (int64_t left = count; left > 0; left -= chunk)
        PushAudio(silence.planes, static_cast<int>(std::min<int64_t>(left, chunk)));
}

void OutputFile::EncodeAudio(bool last) {
    AVCodecContext* enc = audioEncoder_.get();
    const int frameSize = enc->frame_size > 0 ? enc->frame_size : kFallbackAudioFrameSize;
    while (av_audio_fifo_size(fifo_) >= frameSize || (last && av_audio_fifo_size(fifo_) > 0)) {
        FramePtr frame = NewFrame();
        frame->nb_samples = std::min(frameSize, av_audio_fifo_size(fifo_));
        frame->format = enc->sample_fmt;
        frame->sample_rate = enc->sample_rate;
        Check(av_channel_layout_copy(&frame->ch_layout, &enc->ch_layout), "encoding");
        Check(av_frame_get_buffer(frame.get(), 0), "encoding");
        av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame->data), frame->nb_samples);
        frame->pts = audioEncoded_;
        audioEncoded_ += frame->nb_samples;
        Encode(enc, audioStream_, frame.get());
    }
}

void OutputFile::WriteAudio(const AVFrame* samples, int64_t position,
                            const std::function<bool(int64_t)>& audible) {
    AVCodecContext* enc = audioEncoder_.get();
    if (!swr_ || samples->format != swrFormat_ || samples->sample_rate != swrRate_ ||
        av_channel_layout_compare(&samples->ch_layout, &swrLayout_) != 0) {
        swr_free(&swr_);
        AVChannelLayout in{};
        if (samples->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&in, samples->ch_layout.nb_channels);
        else
            av_channel_layout_copy(&in, &samples->ch_layout);
        int err = swr_alloc_set_opts2(&swr_, &enc->ch_layout, enc->sample_fmt, enc->sample_rate,
                                      &in, static_cast<AVSampleFormat>(samples->format),
                                      samples->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        if (err >= 0) err = swr_init(swr_);
        Check(err, "converting the audio for");
        swrFormat_ = samples->format;
        swrRate_ = samples->sample_rate;
        av_channel_layout_uninit(&swrLayout_);
        av_channel_layout_copy(&swrLayout_, &samples->ch_layout);
    }
    const int channels = enc->ch_layout.nb_channels;
    const int capacity = swr_get_out_samples(swr_, samples->nb_samples);
    SampleBuffer converted;
    Check(av_samples_alloc_array_and_samples(&converted.planes, nullptr, channels,
                                             std::max(capacity, 1), enc->sample_fmt, 0),
          "converting the audio for");
    int count =
        swr_convert(swr_, converted.planes, capacity,
                    const_cast<const uint8_t**>(samples->extended_data), samples->nb_samples);
    Check(count, "converting the audio for");

    const int64_t slack = std::max(1, enc->sample_rate / kAudioSlackDivisor);
    if (position > audioWritten_ + slack) {
        int64_t gap = position - audioWritten_;
        if (audioLimit_ >= 0) gap = std::min(gap, audioLimit_ - audioWritten_);
        PushSilence(gap);
    }
    int skip = 0;
    if (position < audioWritten_ - slack)
        skip = static_cast<int>(std::min<int64_t>(audioWritten_ - position, count));
    int keep = count - skip;
    if (audioLimit_ >= 0)
        keep = static_cast<int>(std::clamp<int64_t>(audioLimit_ - audioWritten_, 0, keep));
    if (keep <= 0) return;

    if (audible) {
        for (int k = 0; k < keep;) {
            if (audible(audioWritten_ + k)) {
                ++k;
                continue;
            }
            int run = k;
            while (run < keep && !audible(audioWritten_ + run)) ++run;
            av_samples_set_silence(converted.planes, skip + k, run - k, channels, enc->sample_fmt);
            k = run;
        }
    }
    const bool planar = av_sample_fmt_is_planar(enc->sample_fmt);
    const int bytes = av_get_bytes_per_sample(enc->sample_fmt) * (planar ? 1 : channels);
    std::vector<uint8_t*> planes(planar ? channels : 1);
    for (size_t c = 0; c < planes.size(); ++c) planes[c] = converted.planes[c] + skip * bytes;
    PushAudio(planes.data(), keep);
}

void OutputFile::Finish() {
    FinishUnplaced();
    path_.Commit();
}

void OutputFile::FinishUnplaced() {
    if (!started_) Start();
    if (videoEncoder_) Encode(videoEncoder_.get(), videoStream_, nullptr);
    if (audioEncoder_) {
        if (audioLimit_ > audioWritten_) PushSilence(audioLimit_ - audioWritten_);
        EncodeAudio(true);
        Encode(audioEncoder_.get(), audioStream_, nullptr);
    }
    Check(av_write_trailer(muxer_), "finishing");
    if (muxer_->pb->error < 0) Check(muxer_->pb->error, "writing");
    Check(avio_closep(&muxer_->pb), "closing");
    tally_.Check(path_.temporary(), path_.path());
}

}  // namespace media
