#include "platform/quartz/CoreGraphics.h"

// A bitmap context over the port's own pixels. Bitmap contexts already put
// the origin at the bottom-left of their pixels, which is what the bridge
// promises for the port. The context keeps the port's byte order.
OSStatus QDBeginCGContext(CGrafPtr port, CGContextRef* outContext) {
    if (!outContext) return paramErr;
    *outContext = nullptr;
    if (!port || !port->pixMap.baseAddr || port->pixMap.rowBytes <= 0) return paramErr;
    const int32_t width = port->portBounds.right - port->portBounds.left;
    const int32_t height = port->portBounds.bottom - port->portBounds.top;
    if (width <= 0 || height <= 0) return paramErr;
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    *outContext = CGBitmapContextCreate(
        port->pixMap.baseAddr, static_cast<size_t>(width), static_cast<size_t>(height), 8,
        static_cast<size_t>(port->pixMap.rowBytes), space,
        port->pixMap.pixelFormat == k32RGBAPixelFormat ? kCGImageAlphaPremultipliedLast
                                                       : kCGImageAlphaPremultipliedFirst);
    CGColorSpaceRelease(space);
    return *outContext ? noErr : paramErr;
}

OSStatus QDEndCGContext(CGrafPtr, CGContextRef* inoutContext) {
    if (!inoutContext) return paramErr;
    CGContextRelease(*inoutContext);
    *inoutContext = nullptr;
    return noErr;
}
