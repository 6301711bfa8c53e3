#include <cstddef>
#include <new>

#include "platform/memory/PixelMemory.h"
#include "platform/quickdraw/Ports.h"
#include "platform/quickdraw/QuickDraw.h"

namespace {

// Rows start on cache-line boundaries so row kernels can use aligned loads.
constexpr int32_t cRowAlignment = pixelmemory::cAlignment;
// Beyond this a buffer is refused before any arithmetic can overflow.
constexpr int64_t cMaxBufferBytes = int64_t{1} << 32;

QDErr MakePort(GWorldPtr* out, const Rect* boundsRect, uint32_t pixelFormat, Ptr pixels,
               int32_t rowBytes, bool ownsPixels) {
    auto* port = new (std::nothrow) GrafPort{};
    if (!port) return memFullErr;
    const int16_t width = static_cast<int16_t>(boundsRect->right - boundsRect->left);
    const int16_t height = static_cast<int16_t>(boundsRect->bottom - boundsRect->top);
    port->portBounds = Rect{0, 0, height, width};
    port->pixMap.baseAddr = pixels;
    port->pixMap.rowBytes = rowBytes;
    port->pixMap.bounds = port->portBounds;
    port->clipRect = port->portBounds;
    port->pixMap.pixelSize = 32;
    port->pixMap.pixelFormat = pixelFormat;
    port->pixMapMaster = &port->pixMap;
    port->rgbFgColor = RGBColor{0, 0, 0};
    port->rgbBkColor = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    port->ownsPixels = ownsPixels;
    *out = port;
    return noErr;
}

bool ValidBounds(const Rect* r) { return r && r->right - r->left > 0 && r->bottom - r->top > 0; }

}  // namespace

QDErr NewGWorld(GWorldPtr* offscreenGWorld, int16_t pixelDepth, const Rect* boundsRect, CTabHandle,
                GDHandle, GWorldFlags) {
    if (!offscreenGWorld) return paramErr;
    *offscreenGWorld = nullptr;
    if ((pixelDepth != 0 && pixelDepth != 32) || !ValidBounds(boundsRect)) return paramErr;
    const int64_t width = boundsRect->right - boundsRect->left;
    const int64_t height = boundsRect->bottom - boundsRect->top;
    const int64_t rowBytes = (width * 4 + cRowAlignment - 1) / cRowAlignment * cRowAlignment;
    if (rowBytes * height > cMaxBufferBytes) return memFullErr;
    void* pixels = pixelmemory::Allocate(static_cast<size_t>(rowBytes * height));
    if (!pixels) return memFullErr;
    const QDErr err = MakePort(offscreenGWorld, boundsRect, k32ARGBPixelFormat,
                               static_cast<Ptr>(pixels), static_cast<int32_t>(rowBytes), true);
    if (err != noErr) pixelmemory::Free(pixels, static_cast<size_t>(rowBytes * height));
    return err;
}

QDErr NewGWorldFromPtr(GWorldPtr* offscreenGWorld, uint32_t pixelFormat, const Rect* boundsRect,
                       CTabHandle, GDHandle, GWorldFlags, Ptr newBuffer, int32_t rowBytes) {
    if (!offscreenGWorld) return paramErr;
    *offscreenGWorld = nullptr;
    if ((pixelFormat != k32ARGBPixelFormat && pixelFormat != k32RGBAPixelFormat) ||
        !ValidBounds(boundsRect) || !newBuffer ||
        rowBytes < (boundsRect->right - boundsRect->left) * 4) {
        return paramErr;
    }
    return MakePort(offscreenGWorld, boundsRect, pixelFormat, newBuffer, rowBytes, false);
}

void DisposeGWorld(GWorldPtr offscreenGWorld) {
    if (!offscreenGWorld) return;
    quickdraw::ForgetPort(offscreenGWorld);
    if (offscreenGWorld->ownsPixels) {
        const PixMap& pm = offscreenGWorld->pixMap;
        pixelmemory::Free(pm.baseAddr, static_cast<size_t>(pm.rowBytes) *
                                           static_cast<size_t>(pm.bounds.bottom - pm.bounds.top));
    }
    delete offscreenGWorld;
}

PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld) {
    return offscreenGWorld ? &offscreenGWorld->pixMapMaster : nullptr;
}

namespace {
GrafPort* PortOf(PixMapHandle pm) {
    // The handle designates the pixMapMaster member of its port.
    return reinterpret_cast<GrafPort*>(reinterpret_cast<char*>(pm) -
                                       offsetof(GrafPort, pixMapMaster));
}
}  // namespace

// Pixels never move or get purged here; the state is kept because callers
// save and restore it around their pixel access.
Boolean LockPixels(PixMapHandle pm) {
    if (!pm) return false;
    PortOf(pm)->pixelsState |= pixelsLocked;
    return true;
}

void UnlockPixels(PixMapHandle pm) {
    if (pm) PortOf(pm)->pixelsState &= ~static_cast<GWorldFlags>(pixelsLocked);
}

GWorldFlags GetPixelsState(PixMapHandle pm) { return pm ? PortOf(pm)->pixelsState : 0; }

void SetPixelsState(PixMapHandle pm, GWorldFlags state) {
    if (pm) PortOf(pm)->pixelsState = state;
}

Ptr GetPixBaseAddr(PixMapHandle pm) { return pm && *pm ? (*pm)->baseAddr : nullptr; }

int32_t GetPixRowBytes(PixMapHandle pm) { return pm && *pm ? (*pm)->rowBytes : 0; }
