#include "apps/level/TiltSampler.h"

#include <algorithm>
#include <set>

namespace level {

namespace {

// Fewer distinct key frames than this say too little about a clip.
constexpr int kLeastKeyFrames = 3;

}  // namespace

std::vector<int64_t> SampleFrames(const std::vector<int64_t>& keyFrames, int64_t first,
                                  int64_t last, int count) {
    const int64_t span = last - first + 1;
    if (span <= 0 || count <= 0) return {};
    std::vector<int64_t> spots;
    for (int i = 0; i < count; ++i)
        spots.push_back(first +
                        static_cast<int64_t>((i + 0.5) * static_cast<double>(span) / count));
    spots.erase(std::unique(spots.begin(), spots.end()), spots.end());

    const auto from = std::lower_bound(keyFrames.begin(), keyFrames.end(), first);
    const auto to = std::upper_bound(keyFrames.begin(), keyFrames.end(), last);
    std::set<int64_t> keys;
    if (from != to)
        for (int64_t spot : spots) {
            auto near = std::lower_bound(from, to, spot);
            if (near == to || (near != from && spot - *(near - 1) < *near - spot)) --near;
            keys.insert(*near);
        }
    if (static_cast<int>(keys.size()) >=
        std::min<int>(kLeastKeyFrames, static_cast<int>(spots.size())))
        return {keys.begin(), keys.end()};
    return spots;
}

ClipLevelRec MeasureClip(media::InputFile& in, const media::PictureShape& shape, int64_t first,
                         int64_t last, int count) {
    ClipLevelRec result;
    result.width = shape.format.width;
    result.height = shape.format.height;
    const int stride = result.width * 4;
    std::vector<uint8_t> argb(static_cast<size_t>(stride) * result.height);
    media::ShownPictures pictures(shape);
    TiltMeter meter;
    media::FramePtr frame;
    for (const int64_t index : SampleFrames(in.keyFrames(), first, last, count)) {
        int64_t got = -1;
        in.SeekTo(index);
        if (!in.Next(&frame, &got) || got != index)
            throw media::InputError("cannot decode frame " + std::to_string(index) + " of " +
                                    in.path());
        pictures.Convert(frame.get(), media::kWholeFrame, argb.data(), stride, false);
        FrameTiltRec tilt = meter.MeasureArgb(argb.data(), stride, result.width, result.height);
        result.frames.push_back({index, in.FrameSeconds(index), tilt.reliable, tilt.tiltDegrees,
                                 tilt.confidence, tilt.linesUsed});
        if (result.shownArgb.empty() || tilt.confidence > result.shown.confidence) {
            result.shownArgb = argb;
            result.shown = std::move(tilt);
            result.shownFrame = index;
        }
    }
    // Whoever reads the clip next (a render) starts where it expects to.
    in.SeekTo(first);
    result.clip = CombineFrames(result.frames);
    return result;
}

std::vector<FrameSampleRec> MeasureFrames(media::InputFile& in, const media::PictureShape& shape,
                                          int64_t first, int64_t last) {
    const int width = shape.format.width, height = shape.format.height, stride = width * 4;
    std::vector<uint8_t> argb(static_cast<size_t>(stride) * height);
    media::ShownPictures pictures(shape);
    TiltMeter meter;
    media::FramePtr frame;
    std::vector<FrameSampleRec> samples;
    in.SeekTo(first);
    for (int64_t expected = first; expected <= last; ++expected) {
        int64_t got = -1;
        if (!in.Next(&frame, &got) || got != expected)
            throw media::InputError("cannot decode frame " + std::to_string(expected) + " of " +
                                    in.path());
        pictures.Convert(frame.get(), media::kWholeFrame, argb.data(), stride, false);
        const FrameTiltRec tilt = meter.MeasureArgb(argb.data(), stride, width, height);
        samples.push_back({got, in.FrameSeconds(got), tilt.reliable, tilt.tiltDegrees,
                           tilt.confidence, tilt.linesUsed});
    }
    in.SeekTo(first);
    return samples;
}

}  // namespace level
