// Still pictures: a 32-bit buffer (bytes alpha, red, green, blue) written
// as an opaque picture of the type its name asks for, through libavcodec's
// encoders: PNG for .png, JPEG for .jpg and .jpeg.
#ifndef HZ_APPS_MEDIA_IMAGE_H
#define HZ_APPS_MEDIA_IMAGE_H

#include <cstdint>
#include <string>

namespace media {

// Throws OutputError, also for a name of another type; an existing `path`
// is replaced only with `overwrite`.
void WriteImage(const std::string& path, bool overwrite, const uint8_t* argb, int stride, int width,
                int height);

}  // namespace media

#endif
