#include <initializer_list>

#include "platform/quickdraw/PixelRows.h"
#include "platform/quickdraw/Ports.h"

namespace {

uint32_t OpaquePixel(const RGBColor& c) {
    return quickdraw::PackARGBBytes(0xFF, static_cast<uint8_t>(c.red >> 8),
                                    static_cast<uint8_t>(c.green >> 8),
                                    static_cast<uint8_t>(c.blue >> 8));
}

void FillClipped(GrafPtr port, const Rect* r, const RGBColor& color) {
    if (!port || !r || !port->pixMap.baseAddr) return;
    Rect area;
    if (!SectRect(r, &port->portBounds, &area)) return;
    const uint32_t value = OpaquePixel(color);
    for (int y = area.top; y < area.bottom; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(port->pixMap.baseAddr +
                                                static_cast<ptrdiff_t>(y) * port->pixMap.rowBytes);
        quickdraw::FillRow(row + area.left, area.right - area.left, value);
    }
}

}  // namespace

void PaintRect(const Rect* r) {
    GrafPtr port = quickdraw::CurrentPort();
    if (port) FillClipped(port, r, port->rgbFgColor);
}

void EraseRect(const Rect* r) {
    GrafPtr port = quickdraw::CurrentPort();
    if (port) FillClipped(port, r, port->rgbBkColor);
}

// A one-pixel outline inside the rectangle, as QuickDraw's default pen draws it.
void FrameRect(const Rect* r) {
    GrafPtr port = quickdraw::CurrentPort();
    if (!port || !r || EmptyRect(r)) return;
    const RGBColor color = port->rgbFgColor;
    const Rect top = {r->top, r->left, static_cast<int16_t>(r->top + 1), r->right};
    const Rect bottom = {static_cast<int16_t>(r->bottom - 1), r->left, r->bottom, r->right};
    const Rect left = {r->top, r->left, r->bottom, static_cast<int16_t>(r->left + 1)};
    const Rect right = {r->top, static_cast<int16_t>(r->right - 1), r->bottom, r->right};
    for (const Rect* side : {&top, &bottom, &left, &right}) FillClipped(port, side, color);
}
