#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/quickdraw/PixelRows.h"
#include "platform/quickdraw/QuickDraw.h"

namespace {

uint32_t* RowAt(const BitMap* map, int y) {
    return reinterpret_cast<uint32_t*>(map->baseAddr + static_cast<ptrdiff_t>(y) * map->rowBytes);
}

// Maps destination pixel centres back to source pixels in 16.16 fixed point,
// so that a scaled copy samples evenly across the source rectangle.
int64_t SourceFixed(int srcStart, int srcLen, int dstLen, int dstIndex) {
    return (static_cast<int64_t>(srcStart) << 16) +
           ((static_cast<int64_t>(2 * dstIndex + 1) * srcLen << 16) / (2 * dstLen));
}

}  // namespace

void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect,
              const Rect* dstRect, int16_t mode, RgnHandle) {
    if (!srcBits || !dstBits || !srcRect || !dstRect || mode != srcCopy) return;
    if (!srcBits->baseAddr || !dstBits->baseAddr) return;
    const int srcW = srcRect->right - srcRect->left, srcH = srcRect->bottom - srcRect->top;
    const int dstW = dstRect->right - dstRect->left, dstH = dstRect->bottom - dstRect->top;
    if (srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0) return;

    // Destination pixels that are inside the destination map and whose
    // source pixel is inside the source map.
    Rect area;
    if (!SectRect(dstRect, &dstBits->bounds, &area)) return;
    const bool sameSize = srcW == dstW && srcH == dstH;
    if (sameSize) {
        Rect shiftedSrc = srcBits->bounds;
        OffsetRect(&shiftedSrc, static_cast<int16_t>(dstRect->left - srcRect->left),
                   static_cast<int16_t>(dstRect->top - srcRect->top));
        if (!SectRect(&area, &shiftedSrc, &area)) return;
        const int dx = srcRect->left - dstRect->left, dy = srcRect->top - dstRect->top;
        for (int y = area.top; y < area.bottom; ++y) {
            quickdraw::CopyRowOpaque(RowAt(dstBits, y) + area.left,
                                     RowAt(srcBits, y + dy) + area.left + dx,
                                     area.right - area.left);
        }
        return;
    }

    const int64_t stepX = (static_cast<int64_t>(srcW) << 16) / dstW;
    const Rect& sb = srcBits->bounds;
    for (int y = area.top; y < area.bottom; ++y) {
        const int sy =
            static_cast<int>(SourceFixed(srcRect->top, srcH, dstH, y - dstRect->top) >> 16);
        if (sy < sb.top || sy >= sb.bottom) continue;
        // Columns whose source lies inside the source map.
        int x0 = area.left, x1 = area.right;
        while (x0 < x1 &&
               (SourceFixed(srcRect->left, srcW, dstW, x0 - dstRect->left) >> 16) < sb.left)
            ++x0;
        while (x1 > x0 &&
               (SourceFixed(srcRect->left, srcW, dstW, x1 - 1 - dstRect->left) >> 16) >= sb.right)
            --x1;
        if (x0 >= x1) continue;
        quickdraw::ScaleRowOpaque(RowAt(dstBits, y) + x0, RowAt(srcBits, sy), x1 - x0,
                                  SourceFixed(srcRect->left, srcW, dstW, x0 - dstRect->left),
                                  stepX);
    }
}
