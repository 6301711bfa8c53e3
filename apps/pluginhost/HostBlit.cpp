#include "apps/pluginhost/HostBlit.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pluginhost {

namespace {

// x / 255 rounded, exact for every x in 0..255*255.
inline uint8_t Div255(uint32_t x) {
    return static_cast<uint8_t>((x + 128 + ((x + 128) >> 8)) >> 8);
}

void BlendRow(uint8_t* dst, const uint8_t* src, int count, const int* srcColumn, uint32_t a) {
    const uint32_t na = 255 - a;
    for (int i = 0; i < count; ++i) {
        const uint8_t* s = src + 4 * srcColumn[i];
        uint8_t* d = dst + 4 * i;
        d[0] = 0xFF;
        d[1] = Div255(s[1] * a + d[1] * na);
        d[2] = Div255(s[2] * a + d[2] * na);
        d[3] = Div255(s[3] * a + d[3] * na);
    }
}

const uint8_t* Row(const PixMap& map, int y) {
    return reinterpret_cast<const uint8_t*>(map.baseAddr) +
           static_cast<ptrdiff_t>(y) * map.rowBytes;
}

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

    // Source column of each destination column, found once; columns whose
    // source falls outside the source map are left out.
    std::vector<int> columns;
    int first = x0;
    columns.reserve(static_cast<size_t>(x1 - x0));
    for (int x = x0; x < x1; ++x) {
        const int sx = sourceRect.left + static_cast<int>(int64_t{x - destRect.left} * srcW / dstW);
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
        const int sy = sourceRect.top + static_cast<int>(int64_t{y - destRect.top} * srcH / dstH);
        if (sy < source.bounds.top || sy >= source.bounds.bottom) continue;
        BlendRow(const_cast<uint8_t*>(Row(dest, y)) + 4 * first, Row(source, sy),
                 static_cast<int>(columns.size()), columns.data(), a);
    }
}

}  // namespace pluginhost
