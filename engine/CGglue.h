// Drawing Quartz images into QuickDraw buffers and ports, and turning
// buffers into images.
#ifndef HZ_ENGINE_CGGLUE_H
#define HZ_ENGINE_CGGLUE_H

#include "engine/relrects.h"
#include "platform/quartz/CoreGraphics.h"
#include "platform/quickdraw/QuickDraw.h"

CGRect QDRectToGCRect(Rect theRect, Rect theFrame);
CGRect QDCrop2CGCrop(Rect cropRect, CGImageRef theImage);

void DrawRotatedImageInCGRect(CGContextRef theContext, CGImageRef theImage, CGRect targetRect,
                              float theRadiants, Boolean clearFirst);
// The drawing calls answer memFullErr, having drawn nothing, where no
// context could be made for the port: memory running short is the host's
// to hear of, never a reason to end it.
OSErr DrawCGImageInQDRect(GrafPtr theGW, CGImageRef theImage, Rect qdTargetRect, float theRadiants,
                          Boolean clearFirst);
OSErr DrawCGImageInQDRectWithAlpha(GrafPtr theGW, CGImageRef theImage, Rect qdTargetRect,
                                   float theRadiants, Boolean clearFirst, double alpha,
                                   int16_t blendMode);
// As DrawCGImageInQDRectWithAlpha, but the image fills only thePart of the
// target rectangle (fractions of it, top-down), while the turn is still
// about the whole target's centre: a picture of which only a part exists.
OSErr DrawCGImagePartInQDRectWithAlpha(GrafPtr theGW, CGImageRef theImage, Rect qdTargetRect,
                                       RelRect thePart, float theRadiants, Boolean clearFirst,
                                       double alpha, int16_t blendMode);

// The whole port painted with theBackground, then the picture drawn as
// DrawCGImagePartInQDRectWithAlpha draws it at alpha 1 in the normal mode:
// through one context, so that both take one pass over the pixels.
OSErr PaintAndDrawCGImagePartInQDRect(GrafPtr theGW, RGBColor theBackground, CGImageRef theImage,
                                      Rect qdTargetRect, RelRect thePart, float theRadiants);

// A copy of the buffer's pixels, opaque, or nil where memory is short; the
// caller releases it.
CGImageRef GWorld2CGImage(GrafPtr theGW);
// The buffer's pixels as an opaque image without a copy: the buffer must
// outlive the image and hold still while the image is drawn.
CGImageRef GWorldView2CGImage(GrafPtr theGW);
Rect CalcProportionalImageForFrame(CGImageRef theImage, Rect theFrame);
void GetImageDims(CGImageRef theImage, int32_t* wid, int32_t* hig);
Rect GetImageRect(CGImageRef theImage);

#endif
