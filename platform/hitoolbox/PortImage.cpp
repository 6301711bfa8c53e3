#include "platform/hitoolbox/PortImage.h"

#include <bit>
#include <cstdint>

// Qt's format is a native-order value; the turn below is right only on
// little-endian machines, the only kind this layer is built for.
static_assert(std::endian::native == std::endian::little);

namespace hitoolbox {

void CopyPortToImage(GWorldPtr port, Rect r, QImage* image) {
    const QSize size(r.right - r.left, r.bottom - r.top);
    if (image->size() != size || image->format() != QImage::Format_RGB32)
        *image = QImage(size, QImage::Format_RGB32);
    Rect area;
    if (!SectRect(&r, &port->portBounds, &area)) return;
    const int width = area.right - area.left;
    for (int y = area.top; y < area.bottom; ++y) {
        const auto* src =
            reinterpret_cast<const uint32_t*>(port->pixMap.baseAddr +
                                              static_cast<ptrdiff_t>(y) * port->pixMap.rowBytes) +
            area.left;
        auto* dst = reinterpret_cast<uint32_t*>(image->scanLine(y - r.top)) + (area.left - r.left);
        for (int x = 0; x < width; ++x) dst[x] = __builtin_bswap32(src[x]) | 0xFF000000u;
    }
}

}  // namespace hitoolbox
