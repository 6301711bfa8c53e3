#include "apps/pluginhost/HostBlit.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "apps/pluginhost/BlitRows.h"
#include "platform/quickdraw/NearestSample.h"
#include "platform/quickdraw/PixelRows.h"

namespace pluginhost {

namespace {

void BlendRow(uint8_t* dst, const uint8_t* src, int count, const int* srcColumn, uint32_t a,
              uint32_t opaque) {
    for (int i = 0; i < count; ++i) BlendPixel(dst + 4 * i, src + 4 * srcColumn[i], a, opaque);
}

const uint8_t* Row(const PixMap& map, int y) {
    return reinterpret_cast<const uint8_t*>(map.baseAddr) +
           static_cast<ptrdiff_t>(y) * map.rowBytes;
}

// The source's row y in the destination's byte order: the row itself, or,
// where the two orders differ, a copy turned into the destination's.
class SourceRows {
  public:
    SourceRows(const PixMap& source, const PixMap& dest)
        : source_(source), reorder_(source.pixelFormat != dest.pixelFormat) {
        if (reorder_) scratch_.resize(static_cast<size_t>(source.bounds.right));
    }
    const uint8_t* Row(int y) {
        const uint8_t* row = pluginhost::Row(source_, y);
        if (!reorder_) return row;
        std::memcpy(scratch_.data(), row, scratch_.size() * 4);
        quickdraw::ReorderRow(scratch_.data(), static_cast<int>(scratch_.size()),
                              source_.pixelFormat);
        return reinterpret_cast<const uint8_t*>(scratch_.data());
    }

  private:
    const PixMap& source_;
    bool reorder_;
    std::vector<uint32_t> scratch_;
};

}  // namespace

void BlendPixMaps(const PixMap& source, const PixMap& dest, Rect sourceRect, Rect destRect,
                  int opacity) {
    const uint32_t a = static_cast<uint32_t>(std::clamp(opacity, 0, 255));
    const int srcW = sourceRect.right - sourceRect.left, srcH = sourceRect.bottom - sourceRect.top;
    const int dstW = destRect.right - destRect.left, dstH = destRect.bottom - destRect.top;
    if (srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0 || !source.baseAddr || !dest.baseAddr)
        return;
    const int x0 = std::max<int>(destRect.left, dest.bounds.left);
    const int x1 = std::min<int>(destRect.right, dest.bounds.right);
    const int y0 = std::max<int>(destRect.top, dest.bounds.top);
    const int y1 = std::min<int>(destRect.bottom, dest.bounds.bottom);
    if (x0 >= x1 || y0 >= y1) return;
    const uint32_t opaque = quickdraw::AlphaMask(dest.pixelFormat);
    SourceRows sourceRows(source, dest);

    if (srcW == dstW && srcH == dstH) {
        const int dx = sourceRect.left - destRect.left, dy = sourceRect.top - destRect.top;
        const int left = std::max<int>(x0, source.bounds.left - dx);
        const int right = std::min<int>(x1, source.bounds.right - dx);
        const int top = std::max<int>(y0, source.bounds.top - dy);
        const int bottom = std::min<int>(y1, source.bounds.bottom - dy);
        const BlendRowSameSizeProc blendRow = ChosenBlendRowSameSize();
        for (int y = top; y < bottom && left < right; ++y) {
            blendRow(const_cast<uint8_t*>(Row(dest, y)) + 4 * left,
                     sourceRows.Row(y + dy) + 4 * (left + dx), right - left, a, opaque);
        }
        return;
    }

    // Source column of each destination column, found once; columns whose
    // source falls outside the source map are left out.
    std::vector<int> columns;
    int first = x0;
    columns.reserve(static_cast<size_t>(x1 - x0));
    for (int x = x0; x < x1; ++x) {
        const int sx = NearestSource(sourceRect.left, srcW, dstW, x - destRect.left);
        if (sx < source.bounds.left || sx >= source.bounds.right) {
            if (columns.empty())
                first = x + 1;
            else
                break;
            continue;
        }
        columns.push_back(sx);
    }
    if (columns.empty()) return;
    for (int y = y0; y < y1; ++y) {
        const int sy = NearestSource(sourceRect.top, srcH, dstH, y - destRect.top);
        if (sy < source.bounds.top || sy >= source.bounds.bottom) continue;
        BlendRow(const_cast<uint8_t*>(Row(dest, y)) + 4 * first, sourceRows.Row(sy),
                 static_cast<int>(columns.size()), columns.data(), a, opaque);
    }
}

}  // namespace pluginhost
