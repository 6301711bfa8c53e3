#include "apps/media/PacketReader.h"

#include "apps/media/AvErrorLog.h"

namespace media {

namespace {

// Files interleave their streams by time, each muxer within its own bound
// (libavformat's is 10 s); a packet this far past the window means none of
// what follows is wanted, so a short part of a long clip is not read to
// the clip's end.
constexpr double cInterleaveSeconds = 60;
constexpr double cEdgeSeconds = 1e-6;

}  // namespace

PacketReader::PacketReader(const std::string& path) : path_(path), packet_(NewPacket()) {
    AVFormatContext* ctx = nullptr;
    const AvErrorLog log;
    int err = avformat_open_input(&ctx, path.c_str(), nullptr, nullptr);
    if (err < 0) throw InputError("cannot read " + path + ": " + log.Explain(err));
    context_.reset(ctx);
    err = avformat_find_stream_info(ctx, nullptr);
    if (err < 0) throw InputError("cannot read the streams of " + path + ": " + log.Explain(err));
    target_.assign(ctx->nb_streams, -1);
    // What is not copied need not be parsed.
    for (unsigned i = 0; i < ctx->nb_streams; ++i) ctx->streams[i]->discard = AVDISCARD_ALL;
}

void PacketReader::SetTarget(int stream, int target) {
    target_.at(static_cast<size_t>(stream)) = target;
    context_->streams[stream]->discard = AVDISCARD_DEFAULT;
}

void PacketReader::SetWindow(double from, double to, double origin) {
    from_ = from;
    to_ = to;
    origin_ = origin;
}

bool PacketReader::Next() {
    for (;;) {
        av_packet_unref(packet_.get());
        const int err = av_read_frame(context_.get(), packet_.get());
        if (err == AVERROR_EOF) return false;
        if (err < 0) throw InputError("reading " + path_ + " failed: " + AvErrorText(err));
        if (target_[static_cast<size_t>(packet_->stream_index)] < 0) continue;
        const AVStream* s = context_->streams[packet_->stream_index];
        const int64_t ts = packet_->dts != AV_NOPTS_VALUE ? packet_->dts : packet_->pts;
        // A packet without a time belongs where the one before it was.
        if (ts != AV_NOPTS_VALUE) time_ = static_cast<double>(ts) * av_q2d(s->time_base);
        if (time_ >= to_ + cInterleaveSeconds) return false;
        // A packet at an edge, within rounding, belongs to the part it opens.
        if (time_ >= from_ - cEdgeSeconds && time_ < to_ - cEdgeSeconds) return true;
    }
}

}  // namespace media
