// What an output was handed, stream by stream, and the check that the
// closed file holds it: a file that came out shorter than what was written
// into it (a truncation, timestamps on the wrong clock) is an error, so a
// render can never report success with less than it says.
#ifndef HZ_APPS_MEDIA_WRITTENTALLY_H
#define HZ_APPS_MEDIA_WRITTENTALLY_H

#include <cstdint>
#include <string>
#include <vector>

#include "apps/media/LibAv.h"

namespace media {

class WrittenTally {
  public:
    // A packet handed to stream `stream`, its times on `timeBase` shifted
    // back by `origin` seconds: the times it must have in the file.
    void Count(int stream, const AVPacket* packet, AVRational timeBase, double origin = 0);

    // Throws OutputError naming the first stream that `path` holds fewer
    // packets of, or a different stretch of time, than was written;
    // `shownAs` is the name the user knows the file by.
    void Check(const std::string& path, const std::string& shownAs) const;

  private:
    struct Stream {
        int64_t packets = 0;
        int64_t timed = 0;           // of those, the packets with a time
        double first = 0, last = 0;  // seconds of the earliest and latest of them
        void Add(const AVPacket* packet, AVRational timeBase, double origin);
    };
    std::vector<Stream> streams_;
};

}  // namespace media

#endif
