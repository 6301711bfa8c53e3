/* The Quartz 2D subset the plug-in draws with, over pixman: reference-counted
 * images, bitmap contexts over a buffer's memory (origin bottom-left, y up),
 * graphics-state save/restore, transforms, fills, clears, axis-aligned
 * strokes, stretched and turned image drawing with global alpha and the
 * normal blend mode, and the bridge from a QuickDraw port to a context. */
#ifndef HZ_PLATFORM_COREGRAPHICS_H
#define HZ_PLATFORM_COREGRAPHICS_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include "platform/quickdraw/QuickDraw.h"
#include "platform/types/MacTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef float CGFloat;

typedef struct CGPoint {
    CGFloat x;
    CGFloat y;
} CGPoint;

typedef struct CGSize {
    CGFloat width;
    CGFloat height;
} CGSize;

typedef struct CGRect {
    CGPoint origin;
    CGSize size;
} CGRect;

static inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
    CGRect r;
    r.origin.x = x;
    r.origin.y = y;
    r.size.width = width;
    r.size.height = height;
    return r;
}

typedef struct CGImage* CGImageRef;
typedef struct CGContext* CGContextRef;
typedef struct CGColorSpace* CGColorSpaceRef;
typedef struct CGDataProvider* CGDataProviderRef;

typedef uint32_t CGBitmapInfo;
enum {
    kCGImageAlphaNone = 0,
    kCGImageAlphaPremultipliedLast = 1,
    /* Pixels are the bytes alpha, red, green, blue, colour premultiplied. */
    kCGImageAlphaPremultipliedFirst = 2,
    kCGImageAlphaLast = 3,
    kCGImageAlphaFirst = 4,
    kCGImageAlphaNoneSkipLast = 5,
    kCGImageAlphaNoneSkipFirst = 6
};
/* The alpha layout sits in the low bits; a byte order other than the
 * default (the rest of the word) is refused. */
enum { kCGBitmapAlphaInfoMask = 0x1F, kCGBitmapByteOrderMask = 0x7000 };

typedef int32_t CGColorRenderingIntent;
enum { kCGRenderingIntentDefault = 0 };

typedef int32_t CGBlendMode;
enum { kCGBlendModeNormal = 0 };

CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void);
void CGColorSpaceRelease(CGColorSpaceRef space);

/* Memory lent to images: the provider keeps the pointer, not a copy, and
 * calls releaseData (if any) once no image needs the memory any more. */
typedef void (*CGDataProviderReleaseDataCallback)(void* info, const void* data, size_t size);
CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData);
CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider);
void CGDataProviderRelease(CGDataProviderRef provider);

/* Images, reference-counted and opaque. An image made from a provider reads
 * the provider's memory where it lies, so that memory must not change while
 * the image is drawn. Only 8 bits per component, 32 bits per pixel, alpha
 * first and ignored is supported, with the data and bytesPerRow 4-byte
 * aligned and sides up to 32767 pixels; anything else gives nil. decode,
 * shouldInterpolate and intent are accepted and ignored. */
CGImageRef CGImageCreate(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel,
                         size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo,
                         CGDataProviderRef provider, const CGFloat* decode, bool shouldInterpolate,
                         CGColorRenderingIntent intent);
CGImageRef CGImageRetain(CGImageRef image);
void CGImageRelease(CGImageRef image);
CGImageRef CGImageCreateCopy(CGImageRef image);
size_t CGImageGetWidth(CGImageRef image);
size_t CGImageGetHeight(CGImageRef image);

/* A context drawing into memory the caller owns. Only 8 bits per component,
 * 32 bits per pixel, alpha first and premultiplied is supported (or alpha
 * first and ignored, whose filler byte drawing leaves undefined); anything
 * else gives nil. data must be 4-byte aligned and bytesPerRow a multiple of
 * 4; with nil data the context allocates cleared pixels of its own (and a
 * bytesPerRow of 0 means width * 4). Sides up to 32767 pixels. */
CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space,
                                   CGBitmapInfo bitmapInfo);
/* A snapshot: later drawing into the context does not change the image. The
 * image is opaque: each pixel's alpha becomes 255, its colour kept, because
 * the buffers pictures are cut from carry no meaningful alpha. */
CGImageRef CGBitmapContextCreateImage(CGContextRef context);

CGContextRef CGContextRetain(CGContextRef context);
void CGContextRelease(CGContextRef context);
/* Drawing may wait here (or until the context is released) before it
 * reaches the pixels. */
void CGContextFlush(CGContextRef context);
void CGContextSaveGState(CGContextRef context);
void CGContextRestoreGState(CGContextRef context);
void CGContextTranslateCTM(CGContextRef context, CGFloat tx, CGFloat ty);
void CGContextRotateCTM(CGContextRef context, CGFloat angle);
void CGContextScaleCTM(CGContextRef context, CGFloat sx, CGFloat sy);
void CGContextSetAlpha(CGContextRef context, CGFloat alpha);
void CGContextSetBlendMode(CGContextRef context, CGBlendMode mode);
void CGContextSetRGBFillColor(CGContextRef context, CGFloat red, CGFloat green, CGFloat blue,
                              CGFloat alpha);
void CGContextSetRGBStrokeColor(CGContextRef context, CGFloat red, CGFloat green, CGFloat blue,
                                CGFloat alpha);
void CGContextSetLineWidth(CGContextRef context, CGFloat width);
/* Under the current transform; pixels covered become fully transparent. */
void CGContextClearRect(CGContextRef context, CGRect rect);
void CGContextFillRect(CGContextRef context, CGRect rect);
/* Draws the whole image stretched to rect under the current transform, with
 * the global alpha and blend mode (every mode acts as normal), bilinear
 * filtered. The border is soft: samples fade to transparent over the last
 * half pixel of the image, so an upright image on whole pixels covers
 * exactly its rectangle, and an enlarged or turned one softens its edge
 * within half an image pixel of the rectangle's border. */
void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image);

/* Paths of straight segments, enough for grids and outlines. Segments that
 * come out horizontal or vertical on the pixels are drawn crisp: a line of
 * width w covers the max(1, round(w)) whole pixels nearest its centre, ties
 * going up and left on screen, so a 1-wide line on a pixel boundary fills the
 * single row or column just above or left of it. Other segments are
 * antialiased. Joins are squared off; line ends are butt. */
void CGContextBeginPath(CGContextRef context);
void CGContextMoveToPoint(CGContextRef context, CGFloat x, CGFloat y);
void CGContextAddLineToPoint(CGContextRef context, CGFloat x, CGFloat y);
void CGContextStrokePath(CGContextRef context);
void CGContextStrokeRect(CGContextRef context, CGRect rect);

/* The bridge from a QuickDraw port: a context over the port's pixels whose
 * origin is the port's bottom-left corner, one unit per pixel. */
OSStatus QDBeginCGContext(CGrafPtr port, CGContextRef* outContext);
OSStatus QDEndCGContext(CGrafPtr port, CGContextRef* inoutContext);

#ifdef __cplusplus
}
#endif

#endif
