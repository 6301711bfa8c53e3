#include "apps/media/InputFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/mathematics.h>
}

#include "apps/media/AvErrorLog.h"

namespace media {

namespace {

// Past this many, damage is only counted, so a badly broken file does not
// bury the progress line in warnings.
constexpr int cMaxWarnings = 12;
constexpr double cCutShortSeconds = 0.25;
constexpr double cCutShortShare = 0.05;
// A file that yields nothing but errors is given up rather than looped on.
constexpr int cMaxConsecutiveErrors = 1000;

int InterruptRequested(void* opaque) {
    auto* flag = static_cast<const std::atomic<bool>*>(opaque);
    return flag && flag->load(std::memory_order_relaxed) ? 1 : 0;
}

InputFormatPtr OpenDemuxer(const std::string& path, const std::atomic<bool>* interrupt) {
    AVFormatContext* ctx = avformat_alloc_context();
    if (!ctx) throw InputError("out of memory opening " + path);
    ctx->interrupt_callback.callback = InterruptRequested;
    ctx->interrupt_callback.opaque = const_cast<std::atomic<bool>*>(interrupt);
    const AvErrorLog log;
    int err = avformat_open_input(&ctx, path.c_str(), nullptr, nullptr);
    if (err < 0) {
        if (err == AVERROR_INVALIDDATA)
            throw InputError(path + " is not a video file that can be read (" + log.Explain(err) +
                             ")");
        throw InputError("cannot open " + path + ": " + log.Explain(err));
    }
    InputFormatPtr demuxer(ctx);
    err = avformat_find_stream_info(ctx, nullptr);
    if (err < 0) throw InputError("cannot read the streams of " + path + ": " + log.Explain(err));
    return demuxer;
}

// The sound track a player starts with: the first one marked as the
// default, else the first. libavformat's own pick favours whichever track
// it happened to probe most packets of, which moves a second language to
// the front when it starts a little earlier.
const AVStream* ChooseAudio(const AVFormatContext* c) {
    const AVStream* first = nullptr;
    for (unsigned i = 0; i < c->nb_streams; ++i) {
        const AVStream* s = c->streams[i];
        if (s->codecpar->codec_type != AVMEDIA_TYPE_AUDIO ||
            s->codecpar->codec_id == AV_CODEC_ID_NONE)
            continue;
        if (s->disposition & AV_DISPOSITION_DEFAULT) return s;
        if (!first) first = s;
    }
    return first;
}

}  // namespace

std::string AvErrorText(int err) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(err, text, sizeof text);
    return text;
}

FramePtr NewFrame() {
    FramePtr frame(av_frame_alloc());
    if (!frame) throw std::bad_alloc();
    return frame;
}

PacketPtr NewPacket() {
    PacketPtr packet(av_packet_alloc());
    if (!packet) throw std::bad_alloc();
    return packet;
}

InputFile::InputFile(const std::string& path, const std::atomic<bool>* interrupt)
    : path_(path), interrupt_(interrupt), packet_(NewPacket()) {
    demuxer_ = OpenDemuxer(path, interrupt);
    int index = av_find_best_stream(demuxer_.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0 || (demuxer_->streams[index]->disposition & AV_DISPOSITION_ATTACHED_PIC))
        throw InputError(path + " has no video stream");
    video_ = demuxer_->streams[index];
    const AVCodecParameters* par = video_->codecpar;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    if (!codec)
        throw InputError(path + ": its video codec (" +
                         std::string(avcodec_get_name(par->codec_id)) + ") cannot be decoded here");
    if (par->width <= 0 || par->height <= 0)
        throw InputError(path + ": the video stream does not say its frame size");

    decoder_.reset(avcodec_alloc_context3(codec));
    if (!decoder_) throw std::bad_alloc();
    int err = avcodec_parameters_to_context(decoder_.get(), par);
    if (err < 0) throw InputError(path + ": " + AvErrorText(err));
    // Frame threads each hold a picture of their own. A render already
    // decodes on a thread of its own beside the plug-in and the encoder, so
    // threads past the cores left over would only hold more memory.
    decoder_->thread_count = std::max(1, static_cast<int>(std::thread::hardware_concurrency()) - 1);
    decoder_->pkt_timebase = video_->time_base;
    err = avcodec_open2(decoder_.get(), codec, nullptr);
    if (err < 0) throw InputError(path + ": cannot start the video decoder: " + AvErrorText(err));

    for (unsigned i = 0; i < demuxer_->nb_streams; ++i)
        if (static_cast<int>(i) != index) demuxer_->streams[i]->discard = AVDISCARD_ALL;
    audio_ = ChooseAudio(demuxer_.get());
    if (audio_) demuxer_->streams[audio_->index]->discard = AVDISCARD_DEFAULT;

    format_.width = par->width;
    format_.height = par->height;
    AVRational rate = av_guess_frame_rate(demuxer_.get(), video_, nullptr);
    if (rate.num > 0 && rate.den > 0) format_.frameRate = rate;
    format_.sampleAspect = av_guess_sample_aspect_ratio(demuxer_.get(), video_, nullptr);
    format_.range = par->color_range;
    format_.colorspace = par->color_space;
    format_.primaries = par->color_primaries;
    format_.transfer = par->color_trc;
    format_.fieldOrder = par->field_order;
    format_.pixelFormat = static_cast<AVPixelFormat>(par->format);
    size_t size = 0;
    if (const uint8_t* m =
            av_stream_get_side_data(video_, AV_PKT_DATA_MASTERING_DISPLAY_METADATA, &size);
        m && size >= sizeof(AVMasteringDisplayMetadata))
        std::memcpy(&format_.mastering, m, sizeof(AVMasteringDisplayMetadata));
    if (const uint8_t* l = av_stream_get_side_data(video_, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, &size);
        l && size >= sizeof(AVContentLightMetadata)) {
        std::memcpy(&format_.light, l, sizeof(AVContentLightMetadata));
        format_.hasLight = true;
    }
    format_.timeBase = video_->time_base;

    CountFrames();
}

InputFile::~InputFile() = default;

// Containers do not all keep a trustworthy frame count, so the packets are
// counted on a reader of their own; that also finds the first timestamp,
// which is what frame numbers and audio sync are measured from.
void InputFile::CountFrames() {
    InputFormatPtr counter = OpenDemuxer(path_, interrupt_);
    const int index = video_->index;
    if (index >= static_cast<int>(counter->nb_streams))
        throw InputError(path_ + ": the streams changed while reading");
    for (unsigned i = 0; i < counter->nb_streams; ++i)
        counter->streams[i]->discard =
            static_cast<int>(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    PacketPtr packet = NewPacket();
    bool everyFrameTimed = true;
    int64_t lastDuration = 0;
    std::vector<int64_t> keyTimes, keyOrdinals;
    for (;;) {
        int err = av_read_frame(counter.get(), packet.get());
        if (err == AVERROR_EOF) break;
        if (err < 0) {
            if (err == AVERROR_EXIT) throw InputError("interrupted");
            if (err == AVERROR_INVALIDDATA) break;  // damage: decoding reports it in place
            throw InputError("reading " + path_ + " failed: " + AvErrorText(err));
        }
        if (packet->stream_index == index && !(packet->flags & AV_PKT_FLAG_DISCARD)) {
            ++frameCount_;
            const int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            if (ts == AV_NOPTS_VALUE) everyFrameTimed = false;
            if (packet->flags & AV_PKT_FLAG_KEY) {
                keyTimes.push_back(ts);
                keyOrdinals.push_back(frameCount_ - 1);
            }
            times_.push_back(ts);
            if (packet->duration > 0) lastDuration = packet->duration;
        }
        av_packet_unref(packet.get());
    }
    if (frameCount_ == 0) throw InputError(path_ + " has no video frames");
    // Each frame keeps its own time, so a clip whose frames come at varying
    // intervals keeps them; a stream that does not time its frames is taken
    // at its frame rate.
    const int64_t step =
        std::max<int64_t>(av_rescale_q(1, av_inv_q(format_.frameRate), video_->time_base), 1);
    if (everyFrameTimed) {
        std::sort(times_.begin(), times_.end());
        for (const int64_t ts : keyTimes)
            keyFrames_.push_back(std::lower_bound(times_.begin(), times_.end(), ts) -
                                 times_.begin());
    } else {
        for (size_t i = 0; i < times_.size(); ++i) times_[i] = static_cast<int64_t>(i) * step;
        keyFrames_ = keyOrdinals;
    }
    std::sort(keyFrames_.begin(), keyFrames_.end());
    firstPts_ = times_.front();
    endPts_ = times_.back() + (lastDuration > 0 ? lastDuration : step);
    FindGaps(step);
    NoteCutShort(counter.get(),
                 static_cast<double>(endPts_ - firstPts_) * av_q2d(video_->time_base));
}

// A copy stopped part way keeps the header that states the whole length;
// the frames then end well before it. Audio may outlast the video a little.
void InputFile::NoteCutShort(const AVFormatContext* counter, double framesEnd) {
    if (counter->duration <= 0) return;
    // The stated length runs from the earliest stream's start, which may be
    // a sound track that begins before the pictures.
    if (counter->start_time != AV_NOPTS_VALUE)
        framesEnd += clipOrigin() - static_cast<double>(counter->start_time) / AV_TIME_BASE;
    const double stated = static_cast<double>(counter->duration) / AV_TIME_BASE;
    if (stated - framesEnd <= std::max(cCutShortSeconds, stated * cCutShortShare)) return;
    char text[160];
    std::snprintf(text, sizeof text,
                  ": its frames end at %.2f s though it says it lasts %.2f s; the file seems cut "
                  "short",
                  framesEnd, stated);
    cutShort_ = path_ + text;
}

// In a clip whose frames come at one steady interval, a longer pause is
// frames lost to damage, not the clip's own timing: the frame before it is
// held for them, and reading says so when it gets there.
void InputFile::FindGaps(int64_t step) {
    if (times_.size() < 3) return;
    size_t steady = 0;
    for (size_t i = 1; i < times_.size(); ++i) steady += times_[i] - times_[i - 1] == step;
    if (steady * 10 < (times_.size() - 1) * 9) return;
    for (size_t i = 1; i < times_.size(); ++i) {
        const int64_t missing = (times_[i] - times_[i - 1] + step / 2) / step - 1;
        if (missing > 0) gaps_.push_back({static_cast<int64_t>(i), missing});
    }
}

int64_t InputFile::FramePts(int64_t index) const {
    if (index >= frameCount_) return endPts_ - firstPts_;
    return times_[static_cast<size_t>(std::max<int64_t>(index, 0))] - firstPts_;
}

double InputFile::FrameSeconds(int64_t index) const {
    return static_cast<double>(FramePts(index)) * av_q2d(video_->time_base);
}

int64_t InputFile::FrameAt(double seconds) const {
    const double ticks =
        seconds / av_q2d(video_->time_base) - 1e-6 * av_q2d(av_inv_q(video_->time_base));
    const auto at = std::lower_bound(times_.begin(), times_.end(), ticks,
                                     [&](int64_t t, double v) { return t - firstPts_ < v; });
    return at - times_.begin();
}

int64_t InputFile::FrameShownAt(double seconds) const {
    const double ticks =
        seconds / av_q2d(video_->time_base) + 1e-6 * av_q2d(av_inv_q(video_->time_base));
    const auto after = std::upper_bound(times_.begin(), times_.end(), ticks,
                                        [&](double v, int64_t t) { return v < t - firstPts_; });
    return std::clamp<int64_t>((after - times_.begin()) - 1, 0, frameCount_ - 1);
}

double InputFile::clipOrigin() const {
    return static_cast<double>(firstPts_) * av_q2d(video_->time_base);
}

void InputFile::Warn(const std::string& message) {
    if (!warningSink_) return;
    if (warnings_ < cMaxWarnings)
        warningSink_(message);
    else if (warnings_ == cMaxWarnings)
        warningSink_(path_ + ": more damage; not reported frame by frame");
    ++warnings_;
}

// The frame whose counted time is nearest the decoded one's; frameCount()
// for one nearer the end of the last frame than to its start, which no
// counted packet stands for.
int64_t InputFile::IndexOf(const AVFrame* frame) const {
    const int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) return next_;
    const auto at = std::lower_bound(times_.begin(), times_.end(), pts);
    const int64_t after = at == times_.end() ? endPts_ : *at;
    if (at != times_.begin() && pts - *(at - 1) < after - pts) return at - 1 - times_.begin();
    return at - times_.begin();
}

bool InputFile::ReadPacket(AVPacket* packet) {
    for (;;) {
        if (atEnd_) return false;
        int err = av_read_frame(demuxer_.get(), packet);
        if (err == AVERROR_EOF) {
            atEnd_ = true;
            return false;
        }
        if (err < 0) {
            if (err == AVERROR_EXIT) throw InputError("interrupted");
            if (err != AVERROR_INVALIDDATA)
                throw InputError("reading " + path_ + " failed: " + AvErrorText(err));
            Warn(path_ + ": damaged data; reading stopped near frame " + std::to_string(next_));
            atEnd_ = true;
            return false;
        }
        if (packet->stream_index == video_->index) return true;
        if (audio_ && packet->stream_index == audio_->index) {
            if (packet->pts != AV_NOPTS_VALUE) {
                double end =
                    static_cast<double>(packet->pts + packet->duration) * av_q2d(audio_->time_base);
                if (end > audioReadUpTo_) audioReadUpTo_ = end;
            }
            if (audioSink_) {
                PacketPtr copy = NewPacket();
                av_packet_move_ref(copy.get(), packet);
                audioSink_(std::move(copy));
                continue;
            }
        }
        av_packet_unref(packet);
    }
}

bool InputFile::Decode(FramePtr* out) {
    FramePtr frame = NewFrame();
    int errors = 0;
    for (;;) {
        int err = avcodec_receive_frame(decoder_.get(), frame.get());
        if (err == 0) {
            if ((frame->flags & AV_FRAME_FLAG_CORRUPT) || frame->decode_error_flags)
                Warn(path_ + ": frame " + std::to_string(IndexOf(frame.get())) +
                     " is damaged; the decoder concealed what it could");
            *out = std::move(frame);
            return true;
        }
        if (err == AVERROR_EOF) return false;
        if (err != AVERROR(EAGAIN)) {
            if (err == AVERROR(ENOMEM)) throw std::bad_alloc();
            if (++errors > cMaxConsecutiveErrors)
                throw InputError(path_ + ": the video cannot be decoded: " + AvErrorText(err));
            Warn(path_ + ": damaged frame near frame " + std::to_string(next_) + " skipped (" +
                 AvErrorText(err) + ")");
            continue;
        }
        if (flushed_) return false;
        if (!ReadPacket(packet_.get())) {
            avcodec_send_packet(decoder_.get(), nullptr);
            flushed_ = true;
            continue;
        }
        err = avcodec_send_packet(decoder_.get(), packet_.get());
        av_packet_unref(packet_.get());
        if (err < 0 && err != AVERROR(EAGAIN)) {
            if (err == AVERROR(ENOMEM)) throw std::bad_alloc();
            if (++errors > cMaxConsecutiveErrors)
                throw InputError(path_ + ": the video cannot be decoded: " + AvErrorText(err));
            Warn(path_ + ": damaged frame near frame " + std::to_string(next_) + " skipped (" +
                 AvErrorText(err) + ")");
        }
    }
}

void InputFile::SeekTo(int64_t index) {
    // Short hops forward are cheaper to decode through than to seek.
    const int64_t near = 2 * av_q2d(format_.frameRate) + 1;
    if (index >= next_ && index - next_ <= near && !pending_) {
        next_ = index;
        return;
    }
    const int64_t ts = firstPts_ + FramePts(index);
    int err = av_seek_frame(demuxer_.get(), video_->index, ts, AVSEEK_FLAG_BACKWARD);
    if (err < 0) throw InputError("cannot seek in " + path_ + ": " + AvErrorText(err));
    avcodec_flush_buffers(decoder_.get());
    flushed_ = false;
    atEnd_ = false;
    exhausted_ = false;
    pending_.reset();
    last_.reset();
    next_ = index;
}

bool InputFile::Next(FramePtr* out, int64_t* index) {
    for (;;) {
        if (next_ >= frameCount_) return false;
        if (pending_ && pendingIndex_ == next_) {
            for (const auto& [before, missing] : gaps_)
                if (before == next_)
                    Warn(path_ + ": " + std::to_string(missing) + " frame(s) before frame " +
                         std::to_string(next_) +
                         " are missing; the frame before them is held in their place");
            last_.reset(av_frame_clone(pending_.get()));
            *out = std::move(pending_);
            *index = next_++;
            return true;
        }
        if (pending_ || exhausted_) {
            // A gap, or frames counted that never decoded: the picture
            // before them stands in, so timing and count are kept.
            const AVFrame* standIn = last_ ? last_.get() : pending_.get();
            out->reset(av_frame_clone(standIn));
            if (!*out) throw std::bad_alloc();
            ++repaired_;
            *index = next_++;
            return true;
        }
        FramePtr frame;
        if (!Decode(&frame)) {
            if (!last_)
                throw InputError(path_ + ": none of its frames from frame " +
                                 std::to_string(next_) + " on could be decoded");
            Warn(path_ + ": frames " + std::to_string(next_) + " to " +
                 std::to_string(frameCount_ - 1) +
                 " could not be decoded; the last good frame is repeated in their place");
            exhausted_ = true;
            continue;
        }
        int64_t at = IndexOf(frame.get());
        if (at < next_ || at >= frameCount_) continue;
        if (at > next_) {
            std::string frames = std::to_string(next_);
            if (at - next_ > 1)
                frames = "s " + frames + " to " + std::to_string(at - 1);
            else
                frames.insert(0, 1, ' ');
            Warn(path_ + ": frame" + frames + " could not be decoded; the frame before stands in");
        }
        pending_ = std::move(frame);
        pendingIndex_ = at;
    }
}

void InputFile::ReadAudioUntil(double seconds) {
    if (!audio_ || !audioSink_) return;
    const double until = clipOrigin() + seconds;
    while (audioReadUpTo_ < until) {
        if (!ReadPacket(packet_.get())) return;
        av_packet_unref(packet_.get());
    }
}

}  // namespace media
