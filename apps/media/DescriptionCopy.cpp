#include "apps/media/DescriptionCopy.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "apps/media/Orientation.h"

namespace media {

namespace {

void CopyContainerDescription(const AVFormatContext* source, double from, double to,
                              AVFormatContext* into) {
    // What the muxer writes of its own would be stale if copied.
    for (const AVDictionaryEntry* tag = nullptr;
         (tag = av_dict_get(source->metadata, "", tag, AV_DICT_IGNORE_SUFFIX));) {
        const std::string key = tag->key;
        if (key != "encoder" && key != "major_brand" && key != "minor_version" &&
            key != "compatible_brands")
            av_dict_set(&into->metadata, tag->key, tag->value, 0);
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
        int count = static_cast<int>(into->nb_chapters);
        av_dynarray_add(&into->chapters, &count, copy);
        if (!into->chapters) throw std::bad_alloc();
        into->nb_chapters = static_cast<unsigned>(count);
    }
}

}  // namespace

std::vector<std::string> CopyDescription(const InputFile& in, double from, double to,
                                         bool keepRotation, Muxer& muxer, AVStream* video,
                                         AVStream* audio) {
    std::vector<std::string> lost;
    CopyContainerDescription(in.container(), from, to, muxer.context());
    if (video) {
        const AVStream* source = in.videoStream();
        av_dict_copy(&video->metadata, source->metadata, 0);
        av_dict_set(&video->metadata, "encoder", nullptr, 0);
        const int32_t* matrix = DisplayMatrixOf(source);
        if (keepRotation && matrix && muxer.CanHoldRotation()) {
            const size_t size = 9 * sizeof(int32_t);
            uint8_t* copy = av_stream_new_side_data(video, AV_PKT_DATA_DISPLAYMATRIX, size);
            if (!copy) throw std::bad_alloc();
            std::memcpy(copy, matrix, size);
        } else if (keepRotation && matrix) {
            lost.push_back("video stream " + std::to_string(source->index) +
                           ": its display rotation (" + muxer.format()->name +
                           " files cannot hold it; write .mp4 or .mov to keep it)");
        }
    }
    if (audio && in.audioStream()) av_dict_copy(&audio->metadata, in.audioStream()->metadata, 0);
    return lost;
}

}  // namespace media
