#include "engine/CGglue.h"

#include "common/commonprocs.h"

namespace {

// Images and contexts keep the byte order of the buffer they are made on.
bool AlphaLast(PixMapHandle pm) { return (*pm)->pixelFormat == k32RGBAPixelFormat; }

RelRect WholePart() {
    RelRect whole;
    InitRelRect(&whole);
    return whole;
}

// theOtherRect is centred on the origin of a y-up space; the part's
// fractions count from its top edge.
CGRect PartOf(CGRect theOtherRect, RelRect thePart) {
    const float w = theOtherRect.size.width, h = theOtherRect.size.height;
    return CGRectMake(static_cast<float>(theOtherRect.origin.x + thePart.left * w),
                      static_cast<float>(theOtherRect.origin.y + (1.0 - thePart.bottom) * h),
                      static_cast<float>((thePart.right - thePart.left) * w),
                      static_cast<float>((thePart.bottom - thePart.top) * h));
}

void DrawRotatedImagePartInCGRect(CGContextRef theContext, CGImageRef theImage, CGRect targetRect,
                                  RelRect thePart, float theRadiants, Boolean clearFirst) {
    Assert(theContext, "NIL context for DrawRotatedImageInQDRect");
    Assert(theImage, "NIL Image for DrawRotatedImageInQDRect");
    CGContextSaveGState(theContext);
    const CGRect theOtherRect = CGRectMake(-targetRect.size.width / 2, -targetRect.size.height / 2,
                                           targetRect.size.width, targetRect.size.height);
    CGContextTranslateCTM(theContext, targetRect.origin.x + targetRect.size.width / 2,
                          targetRect.origin.y + targetRect.size.height / 2);
    CGContextRotateCTM(theContext, theRadiants);
    if (clearFirst) CGContextClearRect(theContext, theOtherRect);
    CGContextDrawImage(theContext, PartOf(theOtherRect, thePart), theImage);
    CGContextRestoreGState(theContext);
}

}  // namespace

CGRect QDRectToGCRect(Rect theRect, Rect theFrame) {
    int32_t portWid, portHig, rWid, rHig;
    GetDims(theFrame, &portWid, &portHig);
    GetDims(theRect, &rWid, &rHig);
    const int32_t x = theFrame.left + theRect.left;
    const int32_t y = theFrame.top + portHig - theRect.bottom;
    return CGRectMake(static_cast<float>(x), static_cast<float>(y), static_cast<float>(rWid),
                      static_cast<float>(rHig));
}

CGRect QDCrop2CGCrop(Rect cropRect, CGImageRef) {
    int32_t wid, hig;
    GetDims(cropRect, &wid, &hig);
    return CGRectMake(cropRect.left, cropRect.top, static_cast<float>(wid),
                      static_cast<float>(hig));
}

void DrawRotatedImageInCGRect(CGContextRef theContext, CGImageRef theImage, CGRect targetRect,
                              float theRadiants, Boolean clearFirst) {
    DrawRotatedImagePartInCGRect(theContext, theImage, targetRect, WholePart(), theRadiants,
                                 clearFirst);
}

OSErr DrawCGImagePartInQDRectWithAlpha(GrafPtr theGW, CGImageRef theImage, Rect qdTargetRect,
                                       RelRect thePart, float theRadiants, Boolean clearFirst,
                                       double alpha, int16_t blendMode) {
    const Rect theFrame = GetPortRect(theGW);
    const CGRect theCGFrame = QDRectToGCRect(qdTargetRect, theFrame);
    if (!theImage) return noErr;
    CGContextRef context = nullptr;
    QDBeginCGContext(theGW, &context);
    if (!context) return memFullErr;
    if (alpha >= 0) CGContextSetAlpha(context, static_cast<float>(alpha));
    CGContextSetBlendMode(context, blendMode);
    DrawRotatedImagePartInCGRect(context, theImage, theCGFrame, thePart, theRadiants, clearFirst);
    CGContextFlush(context);
    QDEndCGContext(theGW, &context);
    CGContextRelease(context);
    return noErr;
}

OSErr PaintAndDrawCGImagePartInQDRect(GrafPtr theGW, RGBColor theBackground, CGImageRef theImage,
                                      Rect qdTargetRect, RelRect thePart, float theRadiants) {
    const Rect theFrame = GetPortRect(theGW);
    CGContextRef context = nullptr;
    QDBeginCGContext(theGW, &context);
    if (!context) return memFullErr;
    CGContextSetRGBFillColor(context, (theBackground.red >> 8) / 255.0f,
                             (theBackground.green >> 8) / 255.0f,
                             (theBackground.blue >> 8) / 255.0f, 1.0f);
    CGContextFillRect(context, QDRectToGCRect(theFrame, theFrame));
    if (theImage) {
        DrawRotatedImagePartInCGRect(context, theImage, QDRectToGCRect(qdTargetRect, theFrame),
                                     thePart, theRadiants, false);
    }
    CGContextFlush(context);
    QDEndCGContext(theGW, &context);
    CGContextRelease(context);
    return noErr;
}

OSErr DrawCGImageInQDRectWithAlpha(GrafPtr theGW, CGImageRef theImage, Rect qdTargetRect,
                                   float theRadiants, Boolean clearFirst, double alpha,
                                   int16_t blendMode) {
    return DrawCGImagePartInQDRectWithAlpha(theGW, theImage, qdTargetRect, WholePart(), theRadiants,
                                            clearFirst, alpha, blendMode);
}

// A negative alpha leaves the context's own (1), and normal is the
// context's default blend mode: the plain draw is the alpha draw.
OSErr DrawCGImageInQDRect(GrafPtr theGW, CGImageRef theImage, Rect qdTargetRect, float theRadiants,
                          Boolean clearFirst) {
    return DrawCGImageInQDRectWithAlpha(theGW, theImage, qdTargetRect, theRadiants, clearFirst,
                                        -1.0, kCGBlendModeNormal);
}

CGImageRef GWorld2CGImage(GrafPtr theGW) {
    PixMapHandle pm = GetGWorldPixMap(theGW);
    Ptr base = GetPixBaseAddr(pm);
    const int32_t rowBytes = GetPixRowBytes(pm);
    Rect bounds;
    GetPortBounds(theGW, &bounds);
    int32_t wid, hig;
    GetDims(bounds, &wid, &hig);
    CGColorSpaceRef theColorSpace = CGColorSpaceCreateDeviceRGB();
    CGContextRef context = CGBitmapContextCreate(
        base, static_cast<size_t>(wid), static_cast<size_t>(hig), 8, static_cast<size_t>(rowBytes),
        theColorSpace,
        AlphaLast(pm) ? kCGImageAlphaPremultipliedLast : kCGImageAlphaPremultipliedFirst);
    CGColorSpaceRelease(theColorSpace);
    if (!context) return nullptr;
    CGImageRef image = CGBitmapContextCreateImage(context);
    CGContextRelease(context);
    return image;
}

CGImageRef GWorldView2CGImage(GrafPtr theGW) {
    PixMapHandle pm = GetGWorldPixMap(theGW);
    const int32_t rowBytes = GetPixRowBytes(pm);
    Rect bounds;
    GetPortBounds(theGW, &bounds);
    int32_t wid, hig;
    GetDims(bounds, &wid, &hig);
    if (wid <= 0 || hig <= 0) return nullptr;
    CGDataProviderRef provider = CGDataProviderCreateWithData(
        nullptr, GetPixBaseAddr(pm), static_cast<size_t>(rowBytes) * static_cast<size_t>(hig),
        nullptr);
    if (!provider) return nullptr;
    CGColorSpaceRef theColorSpace = CGColorSpaceCreateDeviceRGB();
    CGImageRef image = CGImageCreate(
        static_cast<size_t>(wid), static_cast<size_t>(hig), 8, 32, static_cast<size_t>(rowBytes),
        theColorSpace, AlphaLast(pm) ? kCGImageAlphaNoneSkipLast : kCGImageAlphaNoneSkipFirst,
        provider, nullptr, false, kCGRenderingIntentDefault);
    CGColorSpaceRelease(theColorSpace);
    CGDataProviderRelease(provider);
    return image;
}

void GetImageDims(CGImageRef theImage, int32_t* wid, int32_t* hig) {
    *wid = static_cast<int32_t>(CGImageGetWidth(theImage));
    *hig = static_cast<int32_t>(CGImageGetHeight(theImage));
}

Rect CalcProportionalImageForFrame(CGImageRef theImage, Rect theFrame) {
    int32_t wid, hig;
    GetImageDims(theImage, &wid, &hig);
    Rect imageRect;
    SetRect(&imageRect, 0, 0, static_cast<int16_t>(wid), static_cast<int16_t>(hig));
    return CalcProportionalRectForFrame(imageRect, theFrame);
}

Rect GetImageRect(CGImageRef theImage) {
    Rect r = {0, 0, 0, 0};
    if (theImage) {
        int32_t wid, hig;
        GetImageDims(theImage, &wid, &hig);
        SetRect(&r, 0, 0, static_cast<int16_t>(wid), static_cast<int16_t>(hig));
    }
    return r;
}
