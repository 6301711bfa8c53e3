// Still pictures: a 32-bit buffer (bytes alpha, red, green, blue) written
// as an opaque PNG through libavcodec's encoder.
#ifndef HZ_APPS_MEDIA_PNG_H
#define HZ_APPS_MEDIA_PNG_H

#include <cstdint>
#include <string>

namespace media {

// Throws OutputError; an existing `path` is replaced only with `overwrite`.
void WritePng(const std::string& path, bool overwrite, const uint8_t* argb, int stride, int width,
              int height);

}  // namespace media

#endif
