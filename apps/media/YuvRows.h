// Row kernels between 8-bit 4:2:0 pictures and the plug-in's ARGB (bytes
// alpha, red, green, blue). Chroma sits where H.264 and MPEG-2 put it: on
// the even columns, halfway between the two rows it serves. Every form
// does the same integer sums, so all give the same bytes.
#ifndef HZ_APPS_MEDIA_YUVROWS_H
#define HZ_APPS_MEDIA_YUVROWS_H

#include <cstdint>
#include <vector>

#include "apps/media/YuvMatrix.h"
#include "platform/types/FastPaths.h"

namespace media {

// Scratch either kernel needs for a row of `width` pixels, in int16s.
inline int YuvRowScratch(int width) { return 4 * width + 16; }

struct YuvRowKernels {
    // One row: luma `y`; `uNear`/`vNear` the chroma row it belongs to and
    // `uFar`/`vFar` the neighbouring chroma row on its side (the same row
    // at the picture's edge).
    void (*toArgb)(const uint8_t* y, const uint8_t* uNear, const uint8_t* uFar,
                   const uint8_t* vNear, const uint8_t* vFar, uint8_t* argb, int width,
                   const YuvMatrix& m, int16_t* scratch);
    // Rows 2j and 2j+1 (argb[1] and argb[2]) into their luma rows and one
    // chroma row; argb[0] and argb[3] are their neighbours above and below.
    // At the picture's edges rows are repeated, and `y1` is null where row
    // 2j is the last. With `streaming`, forms that can write the 4:2:0
    // rows past the cache where they are aligned for it, for pictures that
    // would leave it before the encoder reads them anyway.
    void (*fromArgb)(const uint8_t* const argb[4], uint8_t* y0, uint8_t* y1, uint8_t* u, uint8_t* v,
                     int width, const YuvMatrix& m, int16_t* scratch, bool streaming);
};

extern const YuvRowKernels cYuvRowsPortable;
// Built on x86 only, and to be called only where the processor has AVX2 or
// AVX-512 BW: reach them through RunnableYuvRows.
extern const YuvRowKernels cYuvRowsAvx2;
extern const YuvRowKernels cYuvRowsAvx512;

using NamedYuvRows = hz::NamedKernel<YuvRowKernels>;

// The portable form first, then each this processor runs, fastest last.
const std::vector<NamedYuvRows>& RunnableYuvRows();
const YuvRowKernels& ChosenYuvRows();

}  // namespace media

#endif
