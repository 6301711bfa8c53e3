/* The QuickDraw subset the plug-in and its hosts share: 32-bit offscreen
 * buffers (GWorlds) whose pixels are the bytes alpha, red, green, blue (or,
 * over a host's memory, red, green, blue, alpha), the current port, copying
 * and painting. C-compatible, so that a host written in
 * C can make the buffers the plug-in draws into. */
#ifndef HZ_PLATFORM_QUICKDRAW_H
#define HZ_PLATFORM_QUICKDRAW_H

#include "platform/types/MacTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef int16_t QDErr;
typedef uint32_t GWorldFlags;

enum {
    /* GWorldFlags bits as the pixel-state calls report them. */
    pixelsPurgeable = 1u << 6,
    pixelsLocked = 1u << 7
};

enum { srcCopy = 0, srcOr = 1, srcXor = 2, srcBic = 3 };

typedef struct PixMap {
    Ptr baseAddr;
    int32_t rowBytes; /* wider than the original 14 bits: frames may be large */
    Rect bounds;
    int16_t pixelSize;
    uint32_t pixelFormat; /* k32ARGBPixelFormat or k32RGBAPixelFormat */
} PixMap;
typedef PixMap* PixMapPtr;
typedef PixMapPtr* PixMapHandle;
typedef PixMap BitMap;

typedef struct GDevice* GDHandle;
typedef struct ColorTable** CTabHandle;
typedef struct OpaqueRgnHandle* RgnHandle;

typedef struct GrafPort {
    PixMap pixMap;
    PixMapPtr pixMapMaster; /* what the PixMapHandle designates */
    Rect portBounds;
    RGBColor rgbFgColor;
    RGBColor rgbBkColor;
    GWorldFlags pixelsState;
    Boolean ownsPixels;
    void* refCon;  /* free for the layer that owns the port (a window, say) */
    Rect clipRect; /* painting stays inside it; the whole port when made */
} GrafPort;
typedef GrafPort* GrafPtr;
typedef GrafPtr CGrafPtr;
typedef CGrafPtr GWorldPtr;

/* Offscreen buffers. NewGWorld supports depth 32 (0 means the same); the
 * colour table, device and flags are accepted and ignored. Returns noErr,
 * memFullErr (-108) when memory is short, paramErr for other bad input. */
QDErr NewGWorld(GWorldPtr* offscreenGWorld, int16_t pixelDepth, const Rect* boundsRect,
                CTabHandle cTable, GDHandle aGDevice, GWorldFlags flags);
/* A buffer over memory the caller owns (a decoder's frame, a window's
 * backing store); DisposeGWorld then leaves that memory alone. Its bytes
 * are alpha, red, green, blue, or red, green, blue, alpha for a host whose
 * frames come that way: drawing then works in that order where the pixels
 * lie, and copying between the two orders converts. */
enum { k32ARGBPixelFormat = 0x00000020, k32RGBAPixelFormat = 0x52474241 /* 'RGBA' */ };
QDErr NewGWorldFromPtr(GWorldPtr* offscreenGWorld, uint32_t pixelFormat, const Rect* boundsRect,
                       CTabHandle cTable, GDHandle aGDevice, GWorldFlags flags, Ptr newBuffer,
                       int32_t rowBytes);
void DisposeGWorld(GWorldPtr offscreenGWorld);
PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld);
Boolean LockPixels(PixMapHandle pm);
void UnlockPixels(PixMapHandle pm);
GWorldFlags GetPixelsState(PixMapHandle pm);
void SetPixelsState(PixMapHandle pm, GWorldFlags state);
Ptr GetPixBaseAddr(PixMapHandle pm);
int32_t GetPixRowBytes(PixMapHandle pm);

/* Ports. */
Rect* GetPortBounds(CGrafPtr port, Rect* rect);
void GetGWorld(CGrafPtr* port, GDHandle* gdh);
void SetGWorld(CGrafPtr port, GDHandle gdh);
void GetPort(GrafPtr* port);
void SetPort(GrafPtr port);
const BitMap* GetPortBitMapForCopyBits(CGrafPtr port);

/* Copying: source-copy only, nearest-neighbour scaling when the rectangles
 * differ, both rectangles clipped to their maps. Copied pixels are opaque,
 * in the destination's byte order. */
void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect,
              const Rect* dstRect, int16_t mode, RgnHandle maskRgn);

/* Painting into the current port with its colours; pixels painted are opaque. */
void RGBForeColor(const RGBColor* color);
void RGBBackColor(const RGBColor* color);
void GetForeColor(RGBColor* color);
void GetBackColor(RGBColor* color);
void PaintRect(const Rect* r);
void EraseRect(const Rect* r);
void FrameRect(const Rect* r);
/* Inverts the colour of each pixel (alpha kept). */
void InvertRect(const Rect* r);
/* The one-pixel outline of the oval inscribed in r. */
void FrameOval(const Rect* r);
/* Painting into the current port stays inside r from now on; CopyBits,
 * which works on bit maps rather than ports, is not clipped. */
void ClipRect(const Rect* r);

/* Rectangle arithmetic. */
void SetRect(Rect* r, int16_t left, int16_t top, int16_t right, int16_t bottom);
void OffsetRect(Rect* r, int16_t dh, int16_t dv);
void InsetRect(Rect* r, int16_t dh, int16_t dv);
/* left <= h < right and top <= v < bottom. */
Boolean PtInRect(Point pt, const Rect* r);
/* The rectangle with the two points as opposite corners, whichever they are. */
void Pt2Rect(Point pt1, Point pt2, Rect* dstRect);
Boolean EmptyRect(const Rect* r);
Boolean SectRect(const Rect* src1, const Rect* src2, Rect* dstRect);

#ifdef __cplusplus
}
#endif

#endif
