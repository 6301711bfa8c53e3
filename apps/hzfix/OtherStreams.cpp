#include "apps/hzfix/OtherStreams.h"

namespace hzfix {

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

OtherStreams::OtherStreams(const media::InputFile& in, const std::vector<const AVStream*>& kept,
                           double from, double to, media::OutputFile& out)
    : reader_(in.path()), out_(out) {
    const double first = in.clipOrigin() + from;
    reader_.SetWindow(from > 0 ? first : -1e300, in.clipOrigin() + to, first);
    for (const AVStream* s : kept)
        reader_.SetTarget(s->index, out.AddStreamCopy(reader_.container()->streams[s->index]));
}

void OtherStreams::CopyUntil(double seconds) {
    while (!done_) {
        if (!pending_) {
            pending_ = reader_.Next();
            done_ = !pending_;
            if (done_) return;
        }
        if (reader_.time() > seconds) return;
        out_.WriteCopiedPacket(reader_.target(), reader_.packet(), reader_.timeBase(),
                               reader_.origin());
        pending_ = false;
    }
}

void OtherStreams::CopyRest() { CopyUntil(1e300); }

}  // namespace hzfix
