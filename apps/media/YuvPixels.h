// The arithmetic of single pixels and samples that every kernel form
// does: the portable rows are built of it, and the SIMD rows do the same
// sums in their lanes and finish their rows' ends with it. Everything here
// has internal linkage, so forms built for different instruction sets
// stay apart.
#ifndef HZ_APPS_MEDIA_YUVPIXELS_H
#define HZ_APPS_MEDIA_YUVPIXELS_H

#include <algorithm>
#include <bit>
#include <cstring>
#include <initializer_list>

#include "apps/media/YuvMatrix.h"

namespace media {
namespace {

inline int32_t Clamp255(int32_t x) { return x < 0 ? 0 : x > 255 ? 255 : x; }

inline uint32_t PackArgb(int32_t r, int32_t g, int32_t b) {
    if constexpr (std::endian::native == std::endian::little)
        return 0xFFu | uint32_t(r) << 8 | uint32_t(g) << 16 | uint32_t(b) << 24;
    else
        return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

inline uint32_t LoadPixel(const uint8_t* p) {
    uint32_t x;
    std::memcpy(&x, p, 4);
    return x;
}

// Shifts that bring a loaded pixel's red, green and blue to the low byte.
constexpr int cRedShift = std::endian::native == std::endian::little ? 8 : 16;
constexpr int cGreenShift = std::endian::native == std::endian::little ? 16 : 8;
constexpr int cBlueShift = std::endian::native == std::endian::little ? 24 : 0;

// One pixel into ARGB from its luma and its chroma carried at eight times
// the value (3:1 between rows, 1:1 between columns), so the matrix is
// applied once, at full precision.
inline uint32_t ArgbFromYuv(int32_t y, int32_t u8, int32_t v8, const YuvMatrix& m) {
    const int32_t luma = (y - m.yOffset) * m.yScale + (1 << 13);
    const int32_t u = u8 - 8 * 128, v = v8 - 8 * 128;
    return PackArgb(Clamp255((luma + m.vToR * v) >> 14),
                    Clamp255((luma - m.uToG * u - m.vToG * v) >> 14),
                    Clamp255((luma + m.uToB * u) >> 14));
}

// Chroma at pixel x, eight times the value: on even columns its own
// sample, on odd ones the mean of the samples either side.
inline int32_t ChromaAt(const uint8_t* near, const uint8_t* far, int x, int chromaWidth) {
    const int i = x / 2, j = x % 2 && i + 1 < chromaWidth ? i + 1 : i;
    return 3 * near[i] + far[i] + 3 * near[j] + far[j];
}

inline uint8_t LumaOf(uint32_t pixel, const YuvMatrix& m) {
    const int32_t r = (pixel >> cRedShift) & 0xFF, g = (pixel >> cGreenShift) & 0xFF,
                  b = (pixel >> cBlueShift) & 0xFF;
    return static_cast<uint8_t>(Clamp255(
        (m.yFromR * r + m.yFromG * g + m.yFromB * b + (m.yOffset << 16) + (1 << 15)) >> 16));
}

// A colour of column x summed over rows 2j-1..2j+2 as -1 3 3 -1.
inline int16_t RowSum(uint32_t above, uint32_t first, uint32_t second, uint32_t below, int shift) {
    const int32_t mid = ((first >> shift) & 0xFF) + ((second >> shift) & 0xFF);
    return static_cast<int16_t>(3 * mid - int32_t((above >> shift) & 0xFF) -
                                int32_t((below >> shift) & 0xFF));
}

// The chroma sample at even column x from the row sums, filtered across
// columns as -1 2 6 2 -1: weights 32 in all.
inline void ChromaFromSums(const int16_t* sr, const int16_t* sg, const int16_t* sb, int x,
                           const YuvMatrix& m, uint8_t* u, uint8_t* v) {
    const auto filtered = [x](const int16_t* s) {
        return 6 * s[x] + 2 * (s[x - 1] + s[x + 1]) - (s[x - 2] + s[x + 2]);
    };
    const int32_t r = filtered(sr), g = filtered(sg), b = filtered(sb);
    const int32_t bias = (128 << 21) + (1 << 20);
    *u = static_cast<uint8_t>(Clamp255((m.uFromR * r + m.uFromG * g + m.uFromB * b + bias) >> 21));
    *v = static_cast<uint8_t>(Clamp255((m.vFromR * r + m.vFromG * g + m.vFromB * b + bias) >> 21));
}

// The row sums start two columns into the scratch and end two before its
// end: room for the edge columns repeated.
struct SumRows {
    int16_t *r, *g, *b;
    SumRows(int16_t* scratch, int width) : r(scratch + 2), g(r + width + 4), b(g + width + 4) {}
    void RepeatEdges(int width) {
        for (int16_t* s : {r, g, b}) {
            s[-2] = s[-1] = s[0];
            s[width] = s[width + 1] = s[width - 1];
        }
    }
};

// Pixels from..width-1 of a row into ARGB one at a time: what the SIMD
// rows leave at the row's end.
inline void ToArgbPixels(const uint8_t* y, const uint8_t* uNear, const uint8_t* uFar,
                         const uint8_t* vNear, const uint8_t* vFar, uint8_t* argb, int from,
                         int width, const YuvMatrix& m) {
    const int chromaWidth = (width + 1) / 2;
    for (int x = from; x < width; ++x) {
        const uint32_t pixel = ArgbFromYuv(y[x], ChromaAt(uNear, uFar, x, chromaWidth),
                                           ChromaAt(vNear, vFar, x, chromaWidth), m);
        std::memcpy(argb + 4 * x, &pixel, 4);
    }
}

// Row sums of columns from..width-1 one at a time, likewise.
inline void RowSumsOfColumns(const uint8_t* const argb[4], const SumRows& sums, int from,
                             int width) {
    for (int x = from; x < width; ++x) {
        const uint32_t a = LoadPixel(argb[0] + 4 * x), p = LoadPixel(argb[1] + 4 * x),
                       q = LoadPixel(argb[2] + 4 * x), b = LoadPixel(argb[3] + 4 * x);
        sums.r[x] = RowSum(a, p, q, b, cRedShift);
        sums.g[x] = RowSum(a, p, q, b, cGreenShift);
        sums.b[x] = RowSum(a, p, q, b, cBlueShift);
    }
}

}  // namespace
}  // namespace media

#endif
