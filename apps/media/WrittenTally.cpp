#include "apps/media/WrittenTally.h"

#include <cmath>
#include <cstdio>

#include "apps/media/AvErrorLog.h"

namespace media {

namespace {

// Containers round times to their own clocks (a millisecond for Matroska)
// and may move every stream by one offset; a stream's stretch from its first
// packet to its last stays within this of what was written.
constexpr double cTimeSlackSeconds = 0.1;

}  // namespace

void WrittenTally::Stream::Add(const AVPacket* packet, AVRational timeBase, double origin) {
    const int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (ts != AV_NOPTS_VALUE) {
        const double seconds = static_cast<double>(ts) * av_q2d(timeBase) - origin;
        if (timed == 0 || seconds < first) first = seconds;
        if (timed == 0 || seconds > last) last = seconds;
        ++timed;
    }
    ++packets;
}

void WrittenTally::Count(int stream, const AVPacket* packet, AVRational timeBase, double origin) {
    // An encoder's last word may be side data alone (FLAC's final stream
    // description), which a muxer takes into the header, not as a packet.
    if (packet->size == 0) return;
    if (static_cast<size_t>(stream) >= streams_.size()) streams_.resize(stream + 1);
    streams_[static_cast<size_t>(stream)].Add(packet, timeBase, origin);
}

void WrittenTally::Check(const std::string& path, const std::string& shownAs) const {
    AVFormatContext* ctx = nullptr;
    const AvErrorLog log;
    int err = avformat_open_input(&ctx, path.c_str(), nullptr, nullptr);
    if (err < 0)
        throw OutputError("cannot read back " + shownAs + " after writing it: " + log.Explain(err));
    InputFormatPtr file(ctx);
    PacketPtr packet = NewPacket();
    std::vector<Stream> held(ctx->nb_streams);
    for (;;) {
        err = av_read_frame(ctx, packet.get());
        if (err == AVERROR_EOF) break;
        if (err < 0)
            throw OutputError("reading back " + shownAs +
                              " after writing it failed: " + AvErrorText(err));
        held[static_cast<size_t>(packet->stream_index)].Add(
            packet.get(), ctx->streams[packet->stream_index]->time_base, 0);
        av_packet_unref(packet.get());
    }
    for (size_t i = 0; i < streams_.size(); ++i) {
        const Stream& want = streams_[i];
        if (want.packets == 0) continue;
        const Stream got = i < held.size() ? held[i] : Stream{};
        const char* kind = i < ctx->nb_streams
                               ? av_get_media_type_string(ctx->streams[i]->codecpar->codec_type)
                               : nullptr;
        char text[256];
        if (got.packets < want.packets) {
            std::snprintf(text, sizeof text,
                          ": the file holds %lld of the %lld packets written to stream %zu (%s)",
                          static_cast<long long>(got.packets), static_cast<long long>(want.packets),
                          i, kind ? kind : "unknown");
            throw OutputError("writing " + shownAs + " failed" + text);
        }
        const double wanted = want.last - want.first, stretch = got.last - got.first;
        if (std::fabs(stretch - wanted) > cTimeSlackSeconds) {
            std::snprintf(text, sizeof text,
                          ": stream %zu (%s) lasts %.3f s in the file where %.3f s were written", i,
                          kind ? kind : "unknown", stretch, wanted);
            throw OutputError("writing " + shownAs + " failed" + text);
        }
    }
}

}  // namespace media
