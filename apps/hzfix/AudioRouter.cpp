#include "apps/hzfix/AudioRouter.h"

#include <cerrno>
#include <cmath>

namespace hzfix {

namespace {

constexpr int kMaxDecodeWarnings = 5;

}  // namespace

AudioRouter::AudioRouter(const media::InputFile& in, media::OutputFile& out, Mode mode,
                         int64_t startFrame, int64_t frameCount,
                         std::function<void(const std::string&)> warn)
    : in_(in),
      out_(out),
      mode_(mode),
      frameCount_(frameCount),
      startFrame_(startFrame),
      startSeconds_(in.FrameSeconds(startFrame)),
      clipStart_(in.clipOrigin() + startSeconds_),
      timeBase_(in.audioStream()->time_base),
      warn_(std::move(warn)) {
    passed_.reserve(static_cast<size_t>(frameCount));
    if (mode_ != Mode::kEncode) return;
    const AVCodecParameters* par = in.audioStream()->codecpar;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    if (!codec)
        throw media::InputError(in.path() + ": its audio codec (" +
                                std::string(avcodec_get_name(par->codec_id)) +
                                ") cannot be decoded here");
    decoder_.reset(avcodec_alloc_context3(codec));
    if (!decoder_) throw std::bad_alloc();
    int err = avcodec_parameters_to_context(decoder_.get(), par);
    if (err >= 0) {
        decoder_->pkt_timebase = timeBase_;
        err = avcodec_open2(decoder_.get(), codec, nullptr);
    }
    if (err < 0)
        throw media::InputError(in.path() +
                                ": cannot start the audio decoder: " + media::AvErrorText(err));
    decoded_ = media::NewFrame();
    out_.setAudioLimit(std::llround((in.FrameSeconds(startFrame + frameCount) - startSeconds_) *
                                    out_.audioSampleRate()));
}

// Frames may come at any intervals: the clip's own frame times decide.
int64_t AudioRouter::FrameAt(double seconds) const {
    return in_.FrameShownAt(startSeconds_ + seconds) - startFrame_;
}

AudioRouter::~AudioRouter() = default;

void AudioRouter::Enqueue(media::PacketPtr packet) {
    std::lock_guard lock(mutex_);
    packets_.push_back(std::move(packet));
}

void AudioRouter::CloseInput() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    closedCv_.notify_all();
}

void AudioRouter::FrameDone(int64_t renderFrame, bool passed) {
    if (renderFrame != static_cast<int64_t>(passed_.size()))
        throw std::logic_error("audio verdicts out of order");
    passed_.push_back(passed);
    Drain(false);
}

void AudioRouter::Finish() {
    {
        std::unique_lock lock(mutex_);
        closedCv_.wait(lock, [&] { return closed_; });
    }
    Drain(true);
    if (mode_ == Mode::kEncode) DecodeAndWrite(nullptr);
}

// A packet waits until every rendered frame it overlaps has its verdict.
void AudioRouter::Drain(bool all) {
    for (;;) {
        media::PacketPtr packet;
        {
            std::lock_guard lock(mutex_);
            if (packets_.empty()) return;
            const AVPacket* front = packets_.front().get();
            if (!all && front->pts != AV_NOPTS_VALUE) {
                const double end =
                    static_cast<double>(front->pts + front->duration) * av_q2d(timeBase_) -
                    clipStart_;
                const int64_t last = std::min<int64_t>(FrameAt(end - 1e-6), frameCount_ - 1);
                if (last >= static_cast<int64_t>(passed_.size())) return;
            }
            packet = std::move(packets_.front());
            packets_.pop_front();
        }
        Route(std::move(packet));
    }
}

void AudioRouter::Route(media::PacketPtr packet) {
    if (mode_ == Mode::kEncode) {
        DecodeAndWrite(packet.get());
        return;
    }
    if (copyBroken_) return;
    if (packet->pts != AV_NOPTS_VALUE && !passed_.empty()) {
        const double start = static_cast<double>(packet->pts) * av_q2d(timeBase_) - clipStart_;
        const double end = start + static_cast<double>(packet->duration) * av_q2d(timeBase_);
        const int64_t known = static_cast<int64_t>(passed_.size()) - 1;
        const int64_t first = std::clamp<int64_t>(FrameAt(start), 0, known);
        const int64_t last = std::clamp<int64_t>(FrameAt(end - 1e-6), 0, known);
        for (int64_t f = first; f <= last; ++f)
            if (!passed_[f]) {
                copyBroken_ = true;
                return;
            }
    }
    out_.WriteAudioPacket(packet.get(), timeBase_, clipStart_);
}

void AudioRouter::DecodeAndWrite(const AVPacket* packet) {
    int err = avcodec_send_packet(decoder_.get(), packet);
    if (err < 0 && err != AVERROR_EOF) {
        if (decodeWarnings_++ < kMaxDecodeWarnings && warn_)
            warn_(in_.path() + ": damaged audio skipped (" + media::AvErrorText(err) + ")");
        return;
    }
    const double rate = out_.audioSampleRate();
    auto audible = [&](int64_t sample) {
        if (sample < 0 || passed_.empty()) return false;
        const int64_t frame = FrameAt(static_cast<double>(sample) / rate);
        if (frame < 0) return false;
        return static_cast<bool>(passed_[std::min<int64_t>(frame, passed_.size() - 1)]);
    };
    for (;;) {
        err = avcodec_receive_frame(decoder_.get(), decoded_.get());
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return;
        if (err < 0) {
            if (decodeWarnings_++ < kMaxDecodeWarnings && warn_)
                warn_(in_.path() + ": damaged audio skipped (" + media::AvErrorText(err) + ")");
            continue;
        }
        const int64_t pts = decoded_->best_effort_timestamp;
        if (pts != AV_NOPTS_VALUE) {
            const double at = static_cast<double>(pts) * av_q2d(timeBase_) - clipStart_;
            out_.WriteAudio(decoded_.get(), std::llround(at * rate), audible);
        }
        av_frame_unref(decoded_.get());
    }
}

void RemuxWithEncodedAudio(const std::string& rendered, int renderedAudio,
                           const media::InputFile& in, int64_t startFrame,
                           const std::vector<bool>& verdicts, media::OutputFile& out) {
    media::PacketReader made(rendered);
    const AVStream* audioStream = in.audioStream();
    // The streams keep their places; only the sound is made again.
    for (unsigned i = 0; i < made.container()->nb_streams; ++i) {
        if (static_cast<int>(i) == renderedAudio)
            out.AddAudioEncoder(audioStream->codecpar->sample_rate,
                                audioStream->codecpar->ch_layout);
        else
            made.SetTarget(static_cast<int>(i), out.AddStreamCopy(made.container()->streams[i]));
    }
    out.setInterleaveUnbounded();
    const int64_t count = static_cast<int64_t>(verdicts.size());
    // The first pass already said what the container cannot keep.
    out.CopyDescription(in, in.FrameSeconds(startFrame), in.FrameSeconds(startFrame + count));
    out.Start();

    AudioRouter router(in, out, AudioRouter::Mode::kEncode, startFrame, count, nullptr);
    for (int64_t i = 0; i < count; ++i) router.FrameDone(i, verdicts[static_cast<size_t>(i)]);
    media::PacketReader source(in.path());
    source.SetTarget(audioStream->index, 0);
    while (source.Next()) {
        media::PacketPtr copy = media::NewPacket();
        av_packet_move_ref(copy.get(), source.packet());
        router.Enqueue(std::move(copy));
    }
    router.CloseInput();
    router.Finish();

    while (made.Next())
        out.WriteCopiedPacket(made.target(), made.packet(), made.timeBase(), made.origin());
}

}  // namespace hzfix
