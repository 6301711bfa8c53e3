#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/quickdraw/NearestSample.h"
#include "platform/quickdraw/PixelRows.h"
#include "platform/quickdraw/QuickDraw.h"

namespace {

uint32_t* RowAt(const BitMap* map, int y) {
    return reinterpret_cast<uint32_t*>(map->baseAddr + static_cast<ptrdiff_t>(y) * map->rowBytes);
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
    // Copied in the source's order, made opaque, then turned into the
    // destination's where the two differ.
    const uint32_t from = srcBits->pixelFormat;
    const bool reorder = from != dstBits->pixelFormat;
    const uint32_t alpha = quickdraw::AlphaMask(from);
    const bool sameSize = srcW == dstW && srcH == dstH;
    if (sameSize) {
        Rect shiftedSrc = srcBits->bounds;
        OffsetRect(&shiftedSrc, static_cast<int16_t>(dstRect->left - srcRect->left),
                   static_cast<int16_t>(dstRect->top - srcRect->top));
        if (!SectRect(&area, &shiftedSrc, &area)) return;
        const int dx = srcRect->left - dstRect->left, dy = srcRect->top - dstRect->top;
        for (int y = area.top; y < area.bottom; ++y) {
            uint32_t* row = RowAt(dstBits, y) + area.left;
            quickdraw::CopyRowOpaque(row, RowAt(srcBits, y + dy) + area.left + dx,
                                     area.right - area.left, alpha);
            if (reorder) quickdraw::ReorderRow(row, area.right - area.left, from);
        }
        return;
    }

    // Source column of each destination column, worked out exactly once:
    // stepping in fixed point drifts off the rule where a centre falls on a
    // pixel edge. Columns whose source lies outside the source map are left.
    const Rect& sb = srcBits->bounds;
    int x0 = area.left, x1 = area.right;
    while (x0 < x1 && NearestSource(srcRect->left, srcW, dstW, x0 - dstRect->left) < sb.left) ++x0;
    while (x1 > x0 && NearestSource(srcRect->left, srcW, dstW, x1 - 1 - dstRect->left) >= sb.right)
        --x1;
    if (x0 >= x1) return;
    std::vector<int> columns(static_cast<size_t>(x1 - x0));
    for (int x = x0; x < x1; ++x)
        columns[static_cast<size_t>(x - x0)] =
            NearestSource(srcRect->left, srcW, dstW, x - dstRect->left);
    for (int y = area.top; y < area.bottom; ++y) {
        const int sy = NearestSource(srcRect->top, srcH, dstH, y - dstRect->top);
        if (sy < sb.top || sy >= sb.bottom) continue;
        quickdraw::ScaleRowOpaque(RowAt(dstBits, y) + x0, RowAt(srcBits, sy), x1 - x0,
                                  columns.data(), alpha);
        if (reorder) quickdraw::ReorderRow(RowAt(dstBits, y) + x0, x1 - x0, from);
    }
}
