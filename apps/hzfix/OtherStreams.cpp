#include "apps/hzfix/OtherStreams.h"

#include <limits>

namespace hzfix {

namespace {

struct Source {
    AVFormatContext* context = nullptr;
    explicit Source(const std::string& path) {
        int err = avformat_open_input(&context, path.c_str(), nullptr, nullptr);
        if (err >= 0) err = avformat_find_stream_info(context, nullptr);
        if (err < 0)
            throw media::InputError("cannot read " + path + ": " + media::AvErrorText(err));
    }
    ~Source() { avformat_close_input(&context); }
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;
};

// The next packet of one reader of a merge, with its time in seconds.
struct Lane {
    AVFormatContext* context;
    std::vector<int> target;  // output stream of each input stream, -1 for none
    double origin;            // seconds taken off every timestamp
    double from, to;          // what of the input is wanted, in input seconds
    media::PacketPtr packet = media::NewPacket();
    double time = 0;
    bool done = false;

    void Next() {
        for (;;) {
            av_packet_unref(packet.get());
            if (av_read_frame(context, packet.get()) < 0) {
                done = true;
                return;
            }
            if (target[packet->stream_index] < 0) continue;
            const AVStream* s = context->streams[packet->stream_index];
            const int64_t ts = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
            time = ts == AV_NOPTS_VALUE ? time : ts * av_q2d(s->time_base);
            if (time < from || time >= to) continue;
            return;
        }
    }
};

}  // namespace

OtherStreamsRec ChooseOtherStreams(const media::InputFile& in, const media::OutputFile& out) {
    OtherStreamsRec streams;
    const AVFormatContext* c = in.container();
    for (unsigned i = 0; i < c->nb_streams; ++i) {
        const AVStream* s = c->streams[i];
        if (s == in.videoStream() || s == in.audioStream()) continue;
        if (s->disposition & AV_DISPOSITION_ATTACHED_PIC) continue;  // cover art is video too
        const AVMediaType type = s->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_VIDEO) {
            streams.lost.push_back("video stream " + std::to_string(i) +
                                   ": only one video stream is rendered");
        } else if (out.CanCopy(s->codecpar)) {
            streams.kept.push_back(s);
        } else {
            const char* kind = av_get_media_type_string(type);
            streams.lost.push_back(std::string(kind ? kind : "data") + " stream " +
                                   std::to_string(i) + " (" +
                                   avcodec_get_name(s->codecpar->codec_id) +
                                   "): this container cannot hold it; .mkv can hold most");
        }
    }
    return streams;
}

void WriteWithOtherStreams(const std::string& rendered, const media::InputFile& in,
                           const std::vector<const AVStream*>& kept, double from, double to,
                           media::OutputFile& out) {
    Source made(rendered);
    Source original(in.path());
    out.CopyContainerDescription(made.context, 0, std::numeric_limits<double>::infinity());

    // The other streams keep their distance to the pictures: the clip's
    // first picture lands where the rendered one starts, which an encoder's
    // delay may have moved off zero.
    const int video = av_find_best_stream(made.context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video < 0) throw media::OutputError(rendered + " lost its video stream");
    const AVStream* picture = made.context->streams[video];
    const double start = picture->start_time == AV_NOPTS_VALUE
                             ? 0
                             : picture->start_time * av_q2d(picture->time_base);
    const double first = in.clipOrigin() + from;
    Lane lanes[2] = {
        {made.context, std::vector<int>(made.context->nb_streams, -1), 0, -1e300, 1e300},
        {original.context, std::vector<int>(original.context->nb_streams, -1), first - start,
         from > 0 ? first : -1e300, in.clipOrigin() + to},
    };
    for (unsigned i = 0; i < made.context->nb_streams; ++i)
        lanes[0].target[i] = out.AddStreamCopy(made.context->streams[i]);
    for (const AVStream* s : kept)
        lanes[1].target[s->index] = out.AddStreamCopy(original.context->streams[s->index]);
    out.Start();

    for (Lane& lane : lanes) lane.Next();
    while (!lanes[0].done || !lanes[1].done) {
        Lane& lane = lanes[1].done || (!lanes[0].done && lanes[0].time - lanes[0].origin <=
                                                             lanes[1].time - lanes[1].origin)
                         ? lanes[0]
                         : lanes[1];
        const AVStream* s = lane.context->streams[lane.packet->stream_index];
        out.WriteCopiedPacket(lane.target[lane.packet->stream_index], lane.packet.get(),
                              s->time_base, lane.origin);
        lane.Next();
    }
    out.Finish();
}

}  // namespace hzfix
