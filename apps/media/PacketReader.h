// A second reader of a file, for copying some of its streams packet for
// packet beside other work. It stops only at the file's true end: a read
// that fails is an error, never an early end, so a copy cannot come out
// short without saying so.
#ifndef HZ_APPS_MEDIA_PACKETREADER_H
#define HZ_APPS_MEDIA_PACKETREADER_H

#include <string>
#include <vector>

#include "apps/media/LibAv.h"

namespace media {

class PacketReader {
  public:
    // Only streams given a target (SetTarget) are handed out. Throws
    // InputError for a file that cannot be opened.
    explicit PacketReader(const std::string& path);

    const AVFormatContext* container() const { return context_.get(); }
    void SetTarget(int stream, int target);

    // Packets whose time, in the file's seconds, lies in [from, to) are
    // handed out, shifted back by `origin` seconds, in file order.
    void SetWindow(double from, double to, double origin);

    // Moves on to the next packet handed out; false at the file's end.
    // Throws InputError when reading fails.
    bool Next();
    AVPacket* packet() const { return packet_.get(); }
    int target() const { return target_[static_cast<size_t>(packet_->stream_index)]; }
    AVRational timeBase() const { return context_->streams[packet_->stream_index]->time_base; }
    double origin() const { return origin_; }
    // The current packet's time on the output's clock (after the shift).
    double time() const { return time_ - origin_; }

  private:
    std::string path_;
    InputFormatPtr context_;
    std::vector<int> target_;  // output stream of each stream, -1 for none
    double from_ = -1e300, to_ = 1e300, origin_ = 0;
    PacketPtr packet_;
    double time_ = 0;
};

}  // namespace media

#endif
