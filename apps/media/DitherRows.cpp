#include "apps/media/DitherRows.h"

#include <cstddef>

namespace media {

namespace {

// A threshold from 0 to 256 on the 16-bit scale (where one 8-bit level is
// 257), fixed for each place and spread evenly, so the dither neither
// brightens nor darkens and does not flicker on a still picture. It is
// noise rather than an ordered pattern: a turn interpolates between
// neighbouring pixels before rounding to 8 bits again, which averages an
// ordered pattern's fine checks back into bands, while noise survives it,
// and noise in 2 x 2 grains better than noise of single pixels.
inline uint32_t Threshold(uint32_t x, uint32_t y) {
    uint32_t h = x * 0x9E3779B1u + y * 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return (h >> 16) * 257 >> 16;
}

inline uint8_t Dithered(uint16_t value, uint32_t threshold) {
    return static_cast<uint8_t>((value + threshold) / 257);
}

const uint16_t* Row(const Rgb16Planes& p, int plane, int y) {
    const uint8_t* row = p.data[plane] + static_cast<ptrdiff_t>(y) * p.stride[plane];
    return reinterpret_cast<const uint16_t*>(row);
}

}  // namespace

void DitherRgb16ToArgb(const Rgb16Planes& from, int width, int height, uint8_t* argb, int stride) {
    for (int y = 0; y < height; ++y) {
        const uint16_t* g = Row(from, 0, y);
        const uint16_t* b = Row(from, 1, y);
        const uint16_t* r = Row(from, 2, y);
        const uint16_t* a = from.data[3] ? Row(from, 3, y) : nullptr;
        uint8_t* out = argb + static_cast<ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x, out += 4) {
            // One threshold for the three channels: a grey stays grey.
            const uint32_t threshold = Threshold(x >> 1, y >> 1);
            // Alpha is not a picture to band: it is rounded.
            out[0] = a ? static_cast<uint8_t>((a[x] + 128) / 257) : 255;
            out[1] = Dithered(r[x], threshold);
            out[2] = Dithered(g[x], threshold);
            out[3] = Dithered(b[x], threshold);
        }
    }
}

}  // namespace media
