// The streams of a clip that the effect does not change (a second sound
// track, subtitles, attachments, data): copied as they are into the output
// the pictures go to, by a reader of their own, interleaved with the
// pictures as those are encoded, so the output is written once.
#ifndef HZ_APPS_HZFIX_OTHERSTREAMS_H
#define HZ_APPS_HZFIX_OTHERSTREAMS_H

#include <string>
#include <vector>

#include "apps/media/InputFile.h"
#include "apps/media/OutputFile.h"
#include "apps/media/PacketReader.h"

namespace hzfix {

struct OtherStreamsRec {
    std::vector<const AVStream*> kept;
    // Each stream the output's container cannot hold, in words.
    std::vector<std::string> lost;
};

OtherStreamsRec ChooseOtherStreams(const media::InputFile& in, const media::OutputFile& out);

class OtherStreams {
  public:
    // Adds the `kept` streams of `in` to `out`, which must not have started:
    // their packets from `from` to `to` seconds of the clip, moved to start
    // at `from` (with all that comes before the first picture when `from`
    // is 0).
    OtherStreams(const media::InputFile& in, const std::vector<const AVStream*>& kept, double from,
                 double to, media::OutputFile& out);

    // Writes the packets due up to `seconds` of the output.
    void CopyUntil(double seconds);
    void CopyRest();

  private:
    media::PacketReader reader_;
    media::OutputFile& out_;
    bool pending_ = false;  // the reader holds a packet not yet written
    bool done_ = false;
};

}  // namespace hzfix

#endif
