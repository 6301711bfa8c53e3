// The video stream of an output: 32-bit pictures converted into the
// encoder's format (pooled, so their memory is used again) and encoded.
#ifndef HZ_APPS_MEDIA_VIDEOENCODERLANE_H
#define HZ_APPS_MEDIA_VIDEOENCODERLANE_H

#include <cstdint>
#include <string>
#include <vector>

#include "apps/media/LibAv.h"
#include "apps/media/Muxer.h"
#include "apps/media/VideoEncoderChoice.h"
#include "apps/media/YuvMatrix.h"

struct SwsContext;

namespace media {

class VideoEncoderLane {
  public:
    // Opens the encoder and adds its stream to `muxer`. Throws
    // EncodingError or OutputError for a choice the encoder or container
    // cannot take.
    VideoEncoderLane(Muxer& muxer, const VideoEncoding& encoding);
    ~VideoEncoderLane();
    VideoEncoderLane(const VideoEncoderLane&) = delete;
    VideoEncoderLane& operator=(const VideoEncoderLane&) = delete;

    // What was chosen, in words.
    const std::string& words() const { return words_; }
    AVStream* stream() const { return stream_; }

    // The two steps may run on different threads.
    FramePtr ConvertPicture(const uint8_t* argb, int stride);
    void EncodePicture(AVFrame* picture, int64_t pts);
    void Drain() { muxer_.Encode(encoder_.get(), stream_, nullptr); }

  private:
    void DescribeStream(const VideoEncoding& encoding, const AVCodec* codec);
    void PrepareConversion(const VideoFormat& f);

    Muxer& muxer_;
    std::string words_;
    CodecPtr encoder_;
    AVStream* stream_ = nullptr;
    SwsContext* sws_ = nullptr;
    // Set when the row kernels convert the pictures instead of swscale.
    bool kernels_ = false;
    // Set when the two fields of an interlaced picture are converted apart.
    bool fieldByField_ = false;
    YuvMatrix matrix_{};
    AVBufferPool* picturePool_ = nullptr;
    int pictureWidth_ = 0, pictureHeight_ = 0;  // before padding to the coded size
    std::vector<uint8_t> padded_;               // used by the converting thread only
};

}  // namespace media

#endif
