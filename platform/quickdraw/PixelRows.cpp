#include "platform/quickdraw/PixelRows.h"

namespace quickdraw {

void FillRow(uint32_t* __restrict row, int count, uint32_t value) {
    for (int i = 0; i < count; ++i) row[i] = value;
}

void CopyRowOpaque(uint32_t* __restrict dst, const uint32_t* __restrict src, int count,
                   uint32_t alpha) {
    for (int i = 0; i < count; ++i) dst[i] = src[i] | alpha;
}

void ScaleRowOpaque(uint32_t* __restrict dst, const uint32_t* __restrict src, int count,
                    const int* __restrict columns, uint32_t alpha) {
    for (int i = 0; i < count; ++i) dst[i] = src[columns[i]] | alpha;
}

void ReorderRow(uint32_t* row, int count, uint32_t from) {
    for (int i = 0; i < count; ++i) row[i] = Reordered(row[i], from);
}

}  // namespace quickdraw
