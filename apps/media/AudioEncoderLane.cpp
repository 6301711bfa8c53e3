#include "apps/media/AudioEncoderLane.h"

#include <algorithm>
#include <vector>

#include "apps/media/VideoEncoderChoice.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace media {

namespace {

// Timestamps of decoded audio jitter by a few samples; closer than this,
// a chunk continues the previous one rather than leaving a hole.
constexpr int cAudioSlackDivisor = 500;  // 2 ms
constexpr int cFallbackAudioFrameSize = 1024;

struct SampleBuffer {
    uint8_t** planes = nullptr;
    ~SampleBuffer() {
        if (planes) av_freep(&planes[0]);
        av_freep(&planes);
    }
};

// The layout asked for where the encoder takes it, else stereo or mono.
void ChooseLayout(const AVCodec* codec, const AVChannelLayout& layout, AVChannelLayout* out) {
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
    av_channel_layout_copy(out, &wanted);
    av_channel_layout_uninit(&wanted);
}

}  // namespace

const AVCodec* AudioEncoderLane::ChooseEncoder(const std::string& encoder) const {
    const AVOutputFormat* format = muxer_.format();
    const AVCodec* codec = nullptr;
    if (!encoder.empty()) {
        codec = avcodec_find_encoder_by_name(encoder.c_str());
        if (!codec || codec->type != AVMEDIA_TYPE_AUDIO)
            throw EncodingError("there is no audio encoder called '" + encoder + "' here");
        if (avformat_query_codec(format, codec->id, FF_COMPLIANCE_NORMAL) == 0)
            throw EncodingError(std::string(format->name) + " files cannot hold " +
                                avcodec_get_name(codec->id) + " audio (" + encoder + ")");
    }
    // As for the video, MPEG-TS does not list the AAC it takes.
    if (!codec && (avformat_query_codec(format, AV_CODEC_ID_AAC, FF_COMPLIANCE_NORMAL) == 1 ||
                   std::string(format->name) == "mpegts"))
        codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec)
        codec = avcodec_find_encoder(av_guess_codec(format, nullptr, muxer_.path().path().c_str(),
                                                    nullptr, AVMEDIA_TYPE_AUDIO));
    if (!codec) throw OutputError("no audio encoder for " + std::string(format->name) + " files");
    return codec;
}

AudioEncoderLane::AudioEncoderLane(Muxer& muxer, int sampleRate, const AVChannelLayout& layout,
                                   const std::string& encoder)
    : muxer_(muxer) {
    const AVCodec* codec = ChooseEncoder(encoder);
    encoder_.reset(avcodec_alloc_context3(codec));
    if (!encoder_) throw std::bad_alloc();
    AVCodecContext* enc = encoder_.get();
    enc->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    enc->sample_rate = sampleRate;
    if (codec->supported_samplerates) {
        int best = codec->supported_samplerates[0];
        for (const int* r = codec->supported_samplerates; *r; ++r)
            if (std::abs(*r - sampleRate) < std::abs(best - sampleRate)) best = *r;
        enc->sample_rate = best;
    }
    ChooseLayout(codec, layout, &enc->ch_layout);
    enc->bit_rate = std::min(64000 * enc->ch_layout.nb_channels, 320000);
    enc->time_base = {1, enc->sample_rate};
    if (muxer.format()->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int err = avcodec_open2(enc, codec, nullptr);
    if (err < 0)
        throw OutputError("cannot start the " + std::string(codec->name) +
                          " encoder: " + AvErrorText(err));
    stream_ = muxer.NewStream();
    muxer.Check(avcodec_parameters_from_context(stream_->codecpar, enc), "preparing");
    stream_->time_base = enc->time_base;
    fifo_ = av_audio_fifo_alloc(enc->sample_fmt, enc->ch_layout.nb_channels,
                                enc->frame_size > 0 ? enc->frame_size : cFallbackAudioFrameSize);
    if (!fifo_) throw std::bad_alloc();
    char layoutName[64] = {};
    av_channel_layout_describe(&enc->ch_layout, layoutName, sizeof layoutName);
    words_ = std::string(codec->long_name ? codec->long_name : codec->name) + ", " +
             std::to_string(enc->sample_rate) + " Hz " + layoutName;
}

AudioEncoderLane::~AudioEncoderLane() {
    swr_free(&swr_);
    if (fifo_) av_audio_fifo_free(fifo_);
    av_channel_layout_uninit(&swrLayout_);
}

void AudioEncoderLane::Push(uint8_t** planes, int count) {
    if (count <= 0) return;
    if (av_audio_fifo_write(fifo_, reinterpret_cast<void**>(planes), count) < count)
        throw std::bad_alloc();
    written_ += count;
    Encode(false);
}

void AudioEncoderLane::PushSilence(int64_t count) {
    if (count <= 0) return;
    AVCodecContext* enc = encoder_.get();
    const int channels = enc->ch_layout.nb_channels;
    const int chunk = static_cast<int>(std::min<int64_t>(count, 1 << 16));
    SampleBuffer silence;
    muxer_.Check(av_samples_alloc_array_and_samples(&silence.planes, nullptr, channels, chunk,
                                                    enc->sample_fmt, 0),
                 "encoding");
    av_samples_set_silence(silence.planes, 0, chunk, channels, enc->sample_fmt);
    for (int64_t left = count; left > 0; left -= chunk)
        Push(silence.planes, static_cast<int>(std::min<int64_t>(left, chunk)));
}

void AudioEncoderLane::Encode(bool last) {
    AVCodecContext* enc = encoder_.get();
    const int frameSize = enc->frame_size > 0 ? enc->frame_size : cFallbackAudioFrameSize;
    while (av_audio_fifo_size(fifo_) >= frameSize || (last && av_audio_fifo_size(fifo_) > 0)) {
        FramePtr frame = NewFrame();
        frame->nb_samples = std::min(frameSize, av_audio_fifo_size(fifo_));
        frame->format = enc->sample_fmt;
        frame->sample_rate = enc->sample_rate;
        muxer_.Check(av_channel_layout_copy(&frame->ch_layout, &enc->ch_layout), "encoding");
        muxer_.Check(av_frame_get_buffer(frame.get(), 0), "encoding");
        av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame->data), frame->nb_samples);
        frame->pts = encoded_;
        encoded_ += frame->nb_samples;
        muxer_.Encode(enc, stream_, frame.get());
    }
}

// A converter for samples of this kind, made again when the kind changes.
void AudioEncoderLane::ConvertFrom(const AVFrame* samples) {
    if (swr_ && samples->format == swrFormat_ && samples->sample_rate == swrRate_ &&
        av_channel_layout_compare(&samples->ch_layout, &swrLayout_) == 0)
        return;
    AVCodecContext* enc = encoder_.get();
    swr_free(&swr_);
    AVChannelLayout in{};
    if (samples->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&in, samples->ch_layout.nb_channels);
    else
        av_channel_layout_copy(&in, &samples->ch_layout);
    int err = swr_alloc_set_opts2(&swr_, &enc->ch_layout, enc->sample_fmt, enc->sample_rate, &in,
                                  static_cast<AVSampleFormat>(samples->format),
                                  samples->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    if (err >= 0) err = swr_init(swr_);
    muxer_.Check(err, "converting the audio for");
    swrFormat_ = samples->format;
    swrRate_ = samples->sample_rate;
    av_channel_layout_uninit(&swrLayout_);
    av_channel_layout_copy(&swrLayout_, &samples->ch_layout);
}

void AudioEncoderLane::Write(const AVFrame* samples, int64_t position,
                             const std::function<bool(int64_t)>& audible) {
    ConvertFrom(samples);
    AVCodecContext* enc = encoder_.get();
    const int channels = enc->ch_layout.nb_channels;
    const int capacity = swr_get_out_samples(swr_, samples->nb_samples);
    SampleBuffer converted;
    muxer_.Check(av_samples_alloc_array_and_samples(&converted.planes, nullptr, channels,
                                                    std::max(capacity, 1), enc->sample_fmt, 0),
                 "converting the audio for");
    int count =
        swr_convert(swr_, converted.planes, capacity,
                    const_cast<const uint8_t**>(samples->extended_data), samples->nb_samples);
    muxer_.Check(count, "converting the audio for");

    const int64_t slack = std::max(1, enc->sample_rate / cAudioSlackDivisor);
    if (position > written_ + slack) {
        int64_t gap = position - written_;
        if (limit_ >= 0) gap = std::min(gap, limit_ - written_);
        PushSilence(gap);
    }
    int skip = 0;
    if (position < written_ - slack)
        skip = static_cast<int>(std::min<int64_t>(written_ - position, count));
    int keep = count - skip;
    if (limit_ >= 0) keep = static_cast<int>(std::clamp<int64_t>(limit_ - written_, 0, keep));
    if (keep <= 0) return;

    if (audible) {
        for (int k = 0; k < keep;) {
            if (audible(written_ + k)) {
                ++k;
                continue;
            }
            int run = k;
            while (run < keep && !audible(written_ + run)) ++run;
            av_samples_set_silence(converted.planes, skip + k, run - k, channels, enc->sample_fmt);
            k = run;
        }
    }
    const bool planar = av_sample_fmt_is_planar(enc->sample_fmt);
    const int bytes = av_get_bytes_per_sample(enc->sample_fmt) * (planar ? 1 : channels);
    std::vector<uint8_t*> planes(planar ? channels : 1);
    for (size_t c = 0; c < planes.size(); ++c) planes[c] = converted.planes[c] + skip * bytes;
    Push(planes.data(), keep);
}

void AudioEncoderLane::Finish() {
    if (limit_ > written_) PushSilence(limit_ - written_);
    Encode(true);
    muxer_.Encode(encoder_.get(), stream_, nullptr);
}

}  // namespace media
