// The streams of a clip that the effect does not change (a second sound
// track, subtitles, attachments, data): copied as they are into the output,
// after the video and the sound that goes with it are made, in one more
// pass over packets only.
#ifndef HZ_APPS_HZFIX_OTHERSTREAMS_H
#define HZ_APPS_HZFIX_OTHERSTREAMS_H

#include <string>
#include <vector>

#include "apps/media/InputFile.h"
#include "apps/media/OutputFile.h"

namespace hzfix {

struct OtherStreamsRec {
    std::vector<const AVStream*> kept;
    // Each stream the output's container cannot hold, in words.
    std::vector<std::string> lost;
};

OtherStreamsRec ChooseOtherStreams(const media::InputFile& in, const media::OutputFile& out);

// Writes every stream of `rendered`, and the `kept` streams of `in` from
// `from` to `to` seconds of the clip (moved to start at `from`; all that
// comes before the first picture when `from` is 0), into `out`, interleaved
// by time, with `rendered`'s tags and chapters; then finishes it.
void WriteWithOtherStreams(const std::string& rendered, const media::InputFile& in,
                           const std::vector<const AVStream*>& kept, double from, double to,
                           media::OutputFile& out);

}  // namespace hzfix

#endif
