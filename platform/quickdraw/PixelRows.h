// Row kernels shared by the QuickDraw calls: every loop runs over a row
// pointer and a stride, one row at a time.
#ifndef HZ_PLATFORM_QUICKDRAW_PIXELROWS_H
#define HZ_PLATFORM_QUICKDRAW_PIXELROWS_H

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/quickdraw/QuickDraw.h"

namespace quickdraw {

// The 32-bit value whose bytes in memory are the four channels in the
// order of `pixelFormat`.
inline uint32_t PackPixel(uint32_t pixelFormat, uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
    const uint8_t argb[4] = {a, r, g, b};
    const uint8_t rgba[4] = {r, g, b, a};
    uint32_t v;
    std::memcpy(&v, pixelFormat == k32RGBAPixelFormat ? rgba : argb, 4);
    return v;
}

// The alpha byte of a pixel, wherever it sits in the 32-bit value.
inline uint32_t AlphaMask(uint32_t pixelFormat) { return PackPixel(pixelFormat, 0xFF, 0, 0, 0); }

// A pixel of format `from` in the other of the two formats: the bytes move
// one place round, which in a word is a rotation whose direction depends
// on the machine's byte order.
inline uint32_t Reordered(uint32_t pixel, uint32_t from) {
    const bool alphaToEnd = from != k32RGBAPixelFormat;
    return alphaToEnd == (std::endian::native == std::endian::little) ? std::rotr(pixel, 8)
                                                                      : std::rotl(pixel, 8);
}

void FillRow(uint32_t* __restrict row, int count, uint32_t value);
// Copies and makes every pixel opaque on the way (alpha: AlphaMask).
void CopyRowOpaque(uint32_t* __restrict dst, const uint32_t* __restrict src, int count,
                   uint32_t alpha);
// Nearest-neighbour: dst[i] = src[columns[i]], made opaque.
void ScaleRowOpaque(uint32_t* __restrict dst, const uint32_t* __restrict src, int count,
                    const int* __restrict columns, uint32_t alpha);
// Pixels of format `from` turned into the other format where they lie.
void ReorderRow(uint32_t* row, int count, uint32_t from);

}  // namespace quickdraw

#endif
