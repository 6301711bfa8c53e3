// Row kernels shared by the QuickDraw calls: every loop runs over a row
// pointer and a stride, one row at a time.
#ifndef HZ_PLATFORM_QUICKDRAW_PIXELROWS_H
#define HZ_PLATFORM_QUICKDRAW_PIXELROWS_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quickdraw {

// The 32-bit value whose bytes in memory are alpha, red, green, blue.
inline uint32_t PackARGBBytes(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
    const uint8_t bytes[4] = {a, r, g, b};
    uint32_t v;
    std::memcpy(&v, bytes, 4);
    return v;
}

// The alpha byte of a pixel, wherever it sits in the 32-bit value.
inline uint32_t AlphaMask() { return PackARGBBytes(0xFF, 0, 0, 0); }

void FillRow(uint32_t* __restrict row, int count, uint32_t value);
// Copies and makes every pixel opaque on the way.
void CopyRowOpaque(uint32_t* __restrict dst, const uint32_t* __restrict src, int count);
// Nearest-neighbour: dst[i] = src[columns[i]], made opaque.
void ScaleRowOpaque(uint32_t* __restrict dst, const uint32_t* __restrict src, int count,
                    const int* __restrict columns);

}  // namespace quickdraw

#endif
