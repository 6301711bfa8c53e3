// Decoded frames into 32-bit buffers whose bytes are alpha, red, green,
// blue: the plug-in's pixel layout. One pass, scaling included; frames of
// more than 8 bits a channel are dithered down to them.
#ifndef HZ_APPS_MEDIA_ARGBCONVERTER_H
#define HZ_APPS_MEDIA_ARGBCONVERTER_H

#include <cstdint>

#include "apps/media/LibAv.h"

struct SwsContext;

namespace media {

// The most bits any channel of `format` holds.
int BitsPerChannel(int format);

class ArgbConverter {
  public:
    ArgbConverter() = default;
    ~ArgbConverter();
    ArgbConverter(const ArgbConverter&) = delete;
    ArgbConverter& operator=(const ArgbConverter&) = delete;

    // Writes `source` scaled to width x height into `dest` (rows `stride`
    // bytes apart). `fast` trades scaling quality, and the dither, for speed.
    void Convert(const AVFrame* source, uint8_t* dest, int stride, int width, int height,
                 bool fast);

  private:
    // Everything the context was made for. swscale's own cache compares a
    // full-range (yuvj) format with what it turned it into and makes a new
    // context every time, often at the old address: the context is keyed
    // here instead, so its colour details are set whenever it is new.
    struct Key {
        int width = 0, height = 0, format = -1, destWidth = 0, destHeight = 0, flags = 0;
        int colorspace = -1, fullRange = -1, destFormat = -1;
        bool operator==(const Key&) const = default;
    };
    SwsContext* sws_ = nullptr;
    Key key_;
    // The 16-bit RGB that a deep frame is scaled into before the dither.
    FramePtr deep_;
};

}  // namespace media

#endif
