/* The bilinear affine warp that draws images: each destination pixel samples
 * the image at its centre carried back through the inverse transform, taps
 * outside the image count as transparent, and the result goes OVER what the
 * pixel held. Its arithmetic follows pixman's bilinear fetch and OVER
 * combiner, so the pixman composite stays a drop-in reference. */
#ifndef HZ_PLATFORM_QUARTZ_WARP_H
#define HZ_PLATFORM_QUARTZ_WARP_H

#include <cstddef>
#include <cstdint>

namespace hz::quartz {

enum class ByteOrder : uint8_t;

// An opaque picture: its alpha bytes are ignored and read as 255.
struct WarpSource {
    const uint32_t* words = nullptr;  // device byte order
    ptrdiff_t stride = 0;             // in pixels
    int32_t width = 0;
    int32_t height = 0;
};

struct WarpTarget {
    uint8_t* rows = nullptr;  // device byte order, the source's too
    ptrdiff_t rowBytes = 0;
    int32_t width = 0;
    int32_t height = 0;
    ByteOrder order{};
};

// Where destination pixel (x, y) samples the image, in 16.16 image pixels:
// u = u0 + x * dudx + y * dudy (v alike). The half-pixel offset is already
// taken off, so the integer part names the upper-left tap.
struct WarpMap {
    int64_t u0 = 0;
    int64_t v0 = 0;
    int32_t dudx = 0;
    int32_t dvdx = 0;
    int32_t dudy = 0;
    int32_t dvdy = 0;
};

// Destination area to visit, half-open; pixels outside it are never touched.
struct WarpBox {
    int32_t x0 = 0;
    int32_t y0 = 0;
    int32_t x1 = 0;
    int32_t y1 = 0;
};

enum class WarpKernels { kPortable, kSimd };

// With a background (a device word), every pixel of the target is visited:
// the ones the picture does not reach get the background, the rest the
// picture over the background, all in one pass over the rows.
void WarpBilinearOver(const WarpSource& src, const WarpTarget& dst, const WarpMap& map,
                      const WarpBox& box, uint8_t alpha, WarpKernels kernels,
                      const uint32_t* background);

// The x in [limitBegin, limitEnd) with lo <= base + x * step <= hi, as a
// half-open span (begin == end when there is none).
struct Span {
    int32_t begin = 0;
    int32_t end = 0;
};
Span SolveSpan(int64_t base, int64_t step, int64_t lo, int64_t hi, int32_t limitBegin,
               int32_t limitEnd);

}  // namespace hz::quartz

#endif
