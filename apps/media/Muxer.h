// The container being written: its streams, its temporary file, and every
// packet that goes into it, counted, so that closing it checks the file
// holds all of them.
#ifndef HZ_APPS_MEDIA_MUXER_H
#define HZ_APPS_MEDIA_MUXER_H

#include <cstdint>
#include <string>

#include "apps/media/LibAv.h"
#include "apps/media/OutputPath.h"
#include "apps/media/WrittenTally.h"

namespace media {

class Muxer {
  public:
    // Picks the container from the name of `path`. Throws OutputError for a
    // name no container matches, or an existing file without `overwrite`.
    Muxer(const std::string& path, bool overwrite);
    ~Muxer();  // an unplaced file is removed
    Muxer(const Muxer&) = delete;
    Muxer& operator=(const Muxer&) = delete;

    const AVOutputFormat* format() const { return format_; }
    AVFormatContext* context() { return context_; }
    const OutputPath& path() const { return path_; }
    // Whether the container takes `source`'s codec as it is.
    bool CanCopy(const AVCodecParameters* source) const;
    // Of the containers written here only the QuickTime family stores a
    // display rotation.
    bool CanHoldRotation() const;

    AVStream* NewStream();
    // A stream whose packets are copied as they are, with its tags and side
    // data.
    AVStream* AddStreamCopy(const AVStream* source);

    // Creates the temporary file and writes the header.
    void Start();
    bool started() const { return started_; }
    // A packet of stream `stream`, its times on `timeBase`, shifted back by
    // `origin` seconds.
    void WriteCopied(int stream, AVPacket* packet, AVRational timeBase, double origin);
    // `frame` to `encoder` (nullptr drains it), and what it gives into
    // `stream`.
    void Encode(AVCodecContext* encoder, AVStream* stream, const AVFrame* frame);
    // Writes the trailer, closes the file and checks it holds every packet
    // written (OutputError otherwise). The file stays under its temporary
    // name until Place().
    void Close();
    void Place() { path_.Commit(); }
    int64_t bytesWritten() const;

    // Throws OutputError naming `what` and the file when err is an error.
    void Check(int err, const char* what) const;

  private:
    OutputPath path_;
    AVFormatContext* context_ = nullptr;
    const AVOutputFormat* format_ = nullptr;
    bool started_ = false;
    PacketPtr packet_;
    WrittenTally tally_;
};

}  // namespace media

#endif
