#include "tests/apps/hzfix/ClipDescription.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

namespace hzfixtest {

namespace {

struct Input {
    AVFormatContext* context = nullptr;
    explicit Input(const std::string& path) {
        if (avformat_open_input(&context, path.c_str(), nullptr, nullptr) < 0 ||
            avformat_find_stream_info(context, nullptr) < 0)
            throw std::runtime_error("cannot read " + path);
    }
    ~Input() { avformat_close_input(&context); }
};

std::string Tag(const AVDictionary* tags, const char* key) {
    const AVDictionaryEntry* e = av_dict_get(tags, key, nullptr, 0);
    return e ? e->value : "";
}

const AVStream* FirstOf(const AVFormatContext* c, AVMediaType type) {
    for (unsigned i = 0; i < c->nb_streams; ++i)
        if (c->streams[i]->codecpar->codec_type == type) return c->streams[i];
    return nullptr;
}

// The streams a description adds beside the copied ones.
struct AddedStreams {
    const AVStream* firstAudio = nullptr;
    AVStream* secondAudio = nullptr;  // a copy of the first audio's packets
    AVStream* subtitles = nullptr;
};

AddedStreams AddStreams(const AVFormatContext* source, AVFormatContext* muxer,
                        const ClipDescription& d) {
    for (unsigned i = 0; i < source->nb_streams; ++i) {
        const AVStream* from = source->streams[i];
        AVStream* to = avformat_new_stream(muxer, nullptr);
        avcodec_parameters_copy(to->codecpar, from->codecpar);
        to->codecpar->codec_tag = 0;
        to->time_base = from->time_base;
        const bool video = from->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
        av_dict_set(&to->metadata, "language", (video ? d.videoLanguage : d.audioLanguage).c_str(),
                    0);
        if (video && d.rotation != 0) {
            auto* matrix = reinterpret_cast<int32_t*>(
                av_stream_new_side_data(to, AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(int32_t)));
            av_display_rotation_set(matrix, d.rotation);
        }
    }
    AddedStreams added;
    added.firstAudio = FirstOf(source, AVMEDIA_TYPE_AUDIO);
    if (!d.secondAudioLanguage.empty() && added.firstAudio) {
        AVStream* second = added.secondAudio = avformat_new_stream(muxer, nullptr);
        avcodec_parameters_copy(second->codecpar, added.firstAudio->codecpar);
        second->codecpar->codec_tag = 0;
        second->time_base = added.firstAudio->time_base;
        av_dict_set(&second->metadata, "language", d.secondAudioLanguage.c_str(), 0);
    }
    if (!d.subtitles.empty()) {
        added.subtitles = avformat_new_stream(muxer, nullptr);
        added.subtitles->codecpar->codec_type = AVMEDIA_TYPE_SUBTITLE;
        added.subtitles->codecpar->codec_id = AV_CODEC_ID_SUBRIP;
        added.subtitles->time_base = AVRational{1, 1000};
    }
    return added;
}

void AddChapters(AVFormatContext* muxer, const ClipDescription& d) {
    for (size_t i = 0; i < d.chapters.size(); ++i) {
        auto* c = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
        c->id = static_cast<int64_t>(i);
        c->time_base = AVRational{1, 1000};
        c->start = std::llround(d.chapters[i].start * 1000);
        c->end = std::llround(d.chapters[i].end * 1000);
        av_dict_set(&c->metadata, "title", d.chapters[i].title.c_str(), 0);
        int count = static_cast<int>(muxer->nb_chapters);
        av_dynarray_add(&muxer->chapters, &count, c);
        muxer->nb_chapters = static_cast<unsigned>(count);
    }
}

// The cues, then every packet of the source, with the first audio's twice
// where a second audio track was asked for; all but the video moved later
// by secondAudioLead.
void WritePackets(AVFormatContext* source, AVFormatContext* muxer, const AddedStreams& added,
                  const ClipDescription& d) {
    auto delay = [&](AVPacket* p, AVRational timeBase) {
        const int64_t by = std::llround(d.secondAudioLead / av_q2d(timeBase));
        if (p->pts != AV_NOPTS_VALUE) p->pts += by;
        if (p->dts != AV_NOPTS_VALUE) p->dts += by;
    };
    AVPacket* packet = av_packet_alloc();
    for (const CueFacts& cue : d.subtitles) {
        av_new_packet(packet, static_cast<int>(cue.text.size()));
        std::copy(cue.text.begin(), cue.text.end(), packet->data);
        packet->pts = packet->dts = std::llround(cue.start * 1000);
        packet->duration = 500;
        packet->stream_index = added.subtitles->index;
        delay(packet, added.subtitles->time_base);
        av_interleaved_write_frame(muxer, packet);
    }
    while (av_read_frame(source, packet) >= 0) {
        const AVStream* from = source->streams[packet->stream_index];
        AVPacket* twin = nullptr;
        if (added.secondAudio && from == added.firstAudio) {
            twin = av_packet_clone(packet);
            av_packet_rescale_ts(twin, from->time_base, added.secondAudio->time_base);
            twin->stream_index = added.secondAudio->index;
            twin->pos = -1;
        }
        av_packet_rescale_ts(packet, from->time_base,
                             muxer->streams[packet->stream_index]->time_base);
        delay(packet, muxer->streams[packet->stream_index]->time_base);
        packet->pos = -1;
        av_interleaved_write_frame(muxer, packet);
        if (twin) {
            av_interleaved_write_frame(muxer, twin);
            av_packet_free(&twin);
        }
    }
    av_packet_free(&packet);
}

}  // namespace

void Describe(const std::string& in, const std::string& out, const ClipDescription& d) {
    Input source(in);
    AVFormatContext* muxer = nullptr;
    if (avformat_alloc_output_context2(&muxer, nullptr, nullptr, out.c_str()) < 0)
        throw std::runtime_error("cannot write " + out);
    av_dict_set(&muxer->metadata, "title", d.title.c_str(), 0);
    const AddedStreams added = AddStreams(source.context, muxer, d);
    AddChapters(muxer, d);
    if (avio_open(&muxer->pb, out.c_str(), AVIO_FLAG_WRITE) < 0 ||
        avformat_write_header(muxer, nullptr) < 0)
        throw std::runtime_error("cannot write " + out);
    WritePackets(source.context, muxer, added, d);
    av_write_trailer(muxer);
    avio_closep(&muxer->pb);
    avformat_free_context(muxer);
}

ClipDescription ReadDescription(const std::string& path) {
    Input clip(path);
    ClipDescription d;
    d.title = Tag(clip.context->metadata, "title");
    for (unsigned i = 0; i < clip.context->nb_chapters; ++i) {
        const AVChapter* c = clip.context->chapters[i];
        d.chapters.push_back({c->start * av_q2d(c->time_base), c->end * av_q2d(c->time_base),
                              Tag(c->metadata, "title")});
    }
    if (const AVStream* video = FirstOf(clip.context, AVMEDIA_TYPE_VIDEO)) {
        d.videoLanguage = Tag(video->metadata, "language");
        d.fieldOrder = video->codecpar->field_order;
        size_t size = 0;
        if (const uint8_t* m = av_stream_get_side_data(video, AV_PKT_DATA_DISPLAYMATRIX, &size))
            d.rotation = av_display_rotation_get(reinterpret_cast<const int32_t*>(m));
    }
    if (const AVStream* audio = FirstOf(clip.context, AVMEDIA_TYPE_AUDIO))
        d.audioLanguage = Tag(audio->metadata, "language");
    const AVStream* subtitles = FirstOf(clip.context, AVMEDIA_TYPE_SUBTITLE);
    for (unsigned i = 0; i < clip.context->nb_streams; ++i) {
        const AVStream* s = clip.context->streams[i];
        d.streamKinds.push_back(av_get_media_type_string(s->codecpar->codec_type));
        if (s->codecpar->codec_type == AVMEDIA_TYPE_AUDIO &&
            s != FirstOf(clip.context, AVMEDIA_TYPE_AUDIO))
            d.secondAudioLanguage = Tag(s->metadata, "language");
    }
    const AVStream* video = FirstOf(clip.context, AVMEDIA_TYPE_VIDEO);
    double firstPicture = 1e9;
    AVPacket* packet = av_packet_alloc();
    while (subtitles && av_read_frame(clip.context, packet) >= 0) {
        if (packet->stream_index == subtitles->index)
            d.subtitles.push_back({packet->pts * av_q2d(subtitles->time_base),
                                   std::string(reinterpret_cast<char*>(packet->data),
                                               static_cast<size_t>(packet->size))});
        if (video && packet->stream_index == video->index && packet->pts != AV_NOPTS_VALUE)
            firstPicture = std::min(firstPicture, packet->pts * av_q2d(video->time_base));
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    for (CueFacts& cue : d.subtitles)
        cue.start = std::round((cue.start - firstPicture) * 1000) / 1000;
    return d;
}

std::vector<std::vector<double>> PacketTimes(const std::string& path) {
    Input clip(path);
    std::vector<std::vector<double>> times(clip.context->nb_streams);
    const AVStream* video = FirstOf(clip.context, AVMEDIA_TYPE_VIDEO);
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(clip.context, packet) >= 0) {
        const AVStream* s = clip.context->streams[packet->stream_index];
        const int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (ts != AV_NOPTS_VALUE) times[s->index].push_back(ts * av_q2d(s->time_base));
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    for (auto& stream : times) std::sort(stream.begin(), stream.end());
    const double first = video && !times[video->index].empty() ? times[video->index][0] : 0;
    for (auto& stream : times)
        for (double& t : stream) t -= first;
    return times;
}

}  // namespace hzfixtest
