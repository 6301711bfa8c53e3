#include <initializer_list>

#include "platform/quickdraw/PixelRows.h"
#include "platform/quickdraw/Ports.h"

namespace {

uint32_t OpaquePixel(GrafPtr port, const RGBColor& c) {
    return quickdraw::PackPixel(port->pixMap.pixelFormat, 0xFF, static_cast<uint8_t>(c.red >> 8),
                                static_cast<uint8_t>(c.green >> 8),
                                static_cast<uint8_t>(c.blue >> 8));
}

uint32_t* PortRow(GrafPtr port, int y) {
    return reinterpret_cast<uint32_t*>(port->pixMap.baseAddr +
                                       static_cast<ptrdiff_t>(y) * port->pixMap.rowBytes);
}

// The part of r that painting may touch: inside the port and its clip.
bool PaintableArea(GrafPtr port, const Rect* r, Rect* area) {
    if (!port || !r || !port->pixMap.baseAddr) return false;
    return SectRect(r, &port->portBounds, area) && SectRect(area, &port->clipRect, area);
}

void FillClipped(GrafPtr port, const Rect* r, const RGBColor& color) {
    Rect area;
    if (!PaintableArea(port, r, &area)) return;
    const uint32_t value = OpaquePixel(port, color);
    for (int y = area.top; y < area.bottom; ++y)
        quickdraw::FillRow(PortRow(port, y) + area.left, area.right - area.left, value);
}

// Whether the centre of pixel (x, y) lies in the oval inscribed in r.
bool InOval(const Rect& r, int x, int y) {
    const double a = (r.right - r.left) / 2.0, b = (r.bottom - r.top) / 2.0;
    const double dx = (x + 0.5 - r.left - a) / a, dy = (y + 0.5 - r.top - b) / b;
    return dx * dx + dy * dy <= 1.0;
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

void InvertRect(const Rect* r) {
    GrafPtr port = quickdraw::CurrentPort();
    Rect area;
    if (!PaintableArea(port, r, &area)) return;
    const uint32_t colour = ~quickdraw::AlphaMask(port->pixMap.pixelFormat);
    for (int y = area.top; y < area.bottom; ++y) {
        uint32_t* row = PortRow(port, y);
        for (int x = area.left; x < area.right; ++x) row[x] ^= colour;
    }
}

// The pixels of the oval that have a 4-neighbour outside it: a closed
// one-pixel ring, as the default pen frames an oval.
void FrameOval(const Rect* r) {
    GrafPtr port = quickdraw::CurrentPort();
    Rect area;
    if (!r || EmptyRect(r) || !PaintableArea(port, r, &area)) return;
    const uint32_t value = OpaquePixel(port, port->rgbFgColor);
    for (int y = area.top; y < area.bottom; ++y) {
        uint32_t* row = PortRow(port, y);
        for (int x = area.left; x < area.right; ++x) {
            if (!InOval(*r, x, y)) continue;
            if (!InOval(*r, x - 1, y) || !InOval(*r, x + 1, y) || !InOval(*r, x, y - 1) ||
                !InOval(*r, x, y + 1))
                row[x] = value;
        }
    }
}

void ClipRect(const Rect* r) {
    GrafPtr port = quickdraw::CurrentPort();
    if (port && r) port->clipRect = *r;
}
