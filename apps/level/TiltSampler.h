// The tilt of a clip, or of part of it, from frames sampled over it.
#ifndef HZ_APPS_LEVEL_TILTSAMPLER_H
#define HZ_APPS_LEVEL_TILTSAMPLER_H

#include <cstdint>
#include <vector>

#include "apps/level/ClipTilt.h"
#include "apps/level/FrameTilt.h"
#include "apps/media/InputFile.h"
#include "apps/media/ShownPictures.h"

namespace level {

// How many frames a clip is sampled at.
inline constexpr int kClipSamples = 9;

// `count` frames spread evenly over first..last (inclusive). Where the
// range holds enough key frames, the key frame nearest each even spot is
// taken instead: it decodes on its own, so sampling a long clip costs a
// handful of pictures rather than most of its frames.
std::vector<int64_t> SampleFrames(const std::vector<int64_t>& keyFrames, int64_t first,
                                  int64_t last, int count);

struct ClipLevelRec {
    ClipTiltRec clip;
    std::vector<FrameSampleRec> frames;
    // The most confident sample (the first without one), its pixels and its
    // lines, to show why.
    int width = 0, height = 0;
    std::vector<uint8_t> shownArgb;
    FrameTiltRec shown;
    int64_t shownFrame = 0;
};

// Measures the frames `SampleFrames` picks (one, when first == last), and
// leaves `in` to give frame `first` next. Throws media::InputError when a
// frame cannot be decoded.
ClipLevelRec MeasureClip(media::InputFile& in, const media::PictureShape& shape, int64_t first,
                         int64_t last, int count = kClipSamples);

// Every frame of first..last, read in order rather than sought, so the
// stretch is decoded once. Leaves `in` to give frame `first` next; throws
// as MeasureClip does.
std::vector<FrameSampleRec> MeasureFrames(media::InputFile& in, const media::PictureShape& shape,
                                          int64_t first, int64_t last);

}  // namespace level

#endif
