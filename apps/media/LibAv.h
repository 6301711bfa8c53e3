// Ownership wrappers for the FFmpeg objects the apps pass around, and the
// two kinds of failure they report: one reading the input, one writing the
// output. Callers map each to its own exit status.
#ifndef HZ_APPS_MEDIA_LIBAV_H
#define HZ_APPS_MEDIA_LIBAV_H

#include <memory>
#include <stdexcept>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

namespace media {

struct InputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct OutputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// libav's own words for an error code.
std::string AvErrorText(int err);

struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct CodecFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct InputFormatClose {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};

using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
using InputFormatPtr = std::unique_ptr<AVFormatContext, InputFormatClose>;

FramePtr NewFrame();
PacketPtr NewPacket();

}  // namespace media

#endif
