#include "platform/quickdraw/PixelRows.h"

namespace quickdraw {

void FillRow(uint32_t* __restrict row, int count, uint32_t value) {
    for (int i = 0; i < count; ++i) row[i] = value;
}

void CopyRowOpaque(uint32_t* __restrict dst, const uint32_t* __restrict src, int count) {
    const uint32_t alpha = AlphaMask();
    for (int i = 0; i < count; ++i) dst[i] = src[i] | alpha;
}

void ScaleRowOpaque(uint32_t* __restrict dst, const uint32_t* __restrict src, int count,
                    const int* __restrict columns) {
    const uint32_t alpha = AlphaMask();
    for (int i = 0; i < count; ++i) dst[i] = src[columns[i]] | alpha;
}

}  // namespace quickdraw
