#include "platform/quickdraw/Ports.h"

namespace {
// Each copy of this layer (the bundle's, the host's) has its own current port.
GrafPtr lgCurrentPort = nullptr;
GDHandle lgCurrentDevice = nullptr;
}  // namespace

namespace quickdraw {

GrafPtr CurrentPort() { return lgCurrentPort; }

void ForgetPort(GrafPtr port) {
    if (lgCurrentPort == port) lgCurrentPort = nullptr;
}

}  // namespace quickdraw

void GetGWorld(CGrafPtr* port, GDHandle* gdh) {
    if (port) *port = lgCurrentPort;
    if (gdh) *gdh = lgCurrentDevice;
}

void SetGWorld(CGrafPtr port, GDHandle gdh) {
    lgCurrentPort = port;
    lgCurrentDevice = gdh;
}

void GetPort(GrafPtr* port) {
    if (port) *port = lgCurrentPort;
}

void SetPort(GrafPtr port) { lgCurrentPort = port; }

Rect* GetPortBounds(CGrafPtr port, Rect* rect) {
    if (rect) *rect = port ? port->portBounds : Rect{0, 0, 0, 0};
    return rect;
}

const BitMap* GetPortBitMapForCopyBits(CGrafPtr port) { return port ? &port->pixMap : nullptr; }

void RGBForeColor(const RGBColor* color) {
    if (lgCurrentPort && color) lgCurrentPort->rgbFgColor = *color;
}

void RGBBackColor(const RGBColor* color) {
    if (lgCurrentPort && color) lgCurrentPort->rgbBkColor = *color;
}

void GetForeColor(RGBColor* color) {
    if (color) *color = lgCurrentPort ? lgCurrentPort->rgbFgColor : RGBColor{0, 0, 0};
}

void GetBackColor(RGBColor* color) {
    if (color)
        *color = lgCurrentPort ? lgCurrentPort->rgbBkColor : RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
}
