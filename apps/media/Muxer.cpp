#include "apps/media/Muxer.h"

#include <algorithm>
#include <cmath>

namespace media {

Muxer::Muxer(const std::string& path, bool overwrite)
    : path_(path, overwrite), packet_(NewPacket()) {
    format_ = av_guess_format(nullptr, path.c_str(), nullptr);
    if (!format_)
        throw OutputError("cannot tell a container from the name " + path +
                          "; end it in .mp4, .mkv or .mov");
    if (format_->flags & AVFMT_NOFILE)
        throw OutputError(path + ": image sequences are not written; name a video file");
    int err =
        avformat_alloc_output_context2(&context_, format_, nullptr, path_.temporary().c_str());
    if (err < 0) throw OutputError("cannot prepare " + path + ": " + AvErrorText(err));
}

Muxer::~Muxer() {
    if (context_) {
        if (context_->pb) avio_closep(&context_->pb);
        avformat_free_context(context_);
    }
}

void Muxer::Check(int err, const char* what) const {
    if (err < 0)
        throw OutputError(std::string(what) + " " + path_.path() + " failed: " + AvErrorText(err));
}

// The codec lists of some muxers name codecs they then refuse at the
// header (FLAC in MP4 wants an experimental switch, in MOV it is refused):
// only a header written into memory tells.
bool Muxer::CanCopy(const AVCodecParameters* source) const {
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

bool Muxer::CanHoldRotation() const {
    const std::string name = format_->name;
    return name.find("mp4") != std::string::npos || name.find("mov") != std::string::npos;
}

AVStream* Muxer::NewStream() {
    AVStream* stream = avformat_new_stream(context_, nullptr);
    if (!stream) throw std::bad_alloc();
    return stream;
}

AVStream* Muxer::AddStreamCopy(const AVStream* source) {
    AVStream* stream = NewStream();
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
    return stream;
}

void Muxer::Start() {
    int err = avio_open(&context_->pb, path_.temporary().c_str(), AVIO_FLAG_WRITE);
    if (err < 0) throw OutputError("cannot write " + path_.path() + ": " + AvErrorText(err));
    Check(avformat_write_header(context_, nullptr), "writing");
    started_ = true;
}

void Muxer::WriteCopied(int stream, AVPacket* packet, AVRational timeBase, double origin) {
    tally_.Count(stream, packet, timeBase, origin);
    const int64_t shift = std::llround(origin / av_q2d(timeBase));
    if (packet->pts != AV_NOPTS_VALUE) packet->pts -= shift;
    if (packet->dts != AV_NOPTS_VALUE) packet->dts -= shift;
    av_packet_rescale_ts(packet, timeBase, context_->streams[stream]->time_base);
    packet->stream_index = stream;
    packet->pos = -1;
    Check(av_interleaved_write_frame(context_, packet), "writing");
}

void Muxer::Encode(AVCodecContext* encoder, AVStream* stream, const AVFrame* frame) {
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
        Check(av_interleaved_write_frame(context_, packet_.get()), "writing");
    }
}

void Muxer::Close() {
    Check(av_write_trailer(context_), "finishing");
    if (context_->pb->error < 0) Check(context_->pb->error, "writing");
    Check(avio_closep(&context_->pb), "closing");
    tally_.Check(path_.temporary(), path_.path());
}

int64_t Muxer::bytesWritten() const {
    return context_ && context_->pb ? avio_tell(context_->pb) : 0;
}

}  // namespace media
