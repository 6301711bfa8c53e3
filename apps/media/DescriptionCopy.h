// What describes a clip, carried into an output: the container's tags, the
// chapters that fall within the part written, the streams' tags and, when
// asked, the video's display rotation.
#ifndef HZ_APPS_MEDIA_DESCRIPTIONCOPY_H
#define HZ_APPS_MEDIA_DESCRIPTIONCOPY_H

#include <string>
#include <vector>

#include "apps/media/InputFile.h"
#include "apps/media/Muxer.h"

namespace media {

// Chapters within [from, to) seconds of the input move to start at `from`.
// `video` and `audio` are the output's streams, or nullptr. Returns what
// the container cannot keep, in words, one line each.
std::vector<std::string> CopyDescription(const InputFile& in, double from, double to,
                                         bool keepRotation, Muxer& muxer, AVStream* video,
                                         AVStream* audio);

}  // namespace media

#endif
