// Decoded frames into 32-bit buffers whose bytes are alpha, red, green,
// blue: the plug-in's pixel layout. One pass, scaling included.
#ifndef HZ_APPS_MEDIA_ARGBCONVERTER_H
#define HZ_APPS_MEDIA_ARGBCONVERTER_H

#include <cstdint>

#include "apps/media/LibAv.h"

struct SwsContext;

namespace media {

class ArgbConverter {
  public:
    ArgbConverter() = default;
    ~ArgbConverter();
    ArgbConverter(const ArgbConverter&) = delete;
    ArgbConverter& operator=(const ArgbConverter&) = delete;

    // Writes `source` scaled to width x height into `dest` (rows `stride`
    // bytes apart). `fast` trades scaling quality for speed.
    void Convert(const AVFrame* source, uint8_t* dest, int stride, int width, int height,
                 bool fast);

  private:
    SwsContext* sws_ = nullptr;
    int colorspace_ = -1;
    int fullRange_ = -1;
};

}  // namespace media

#endif
