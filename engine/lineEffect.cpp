#include "engine/lineEffect.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/commonprocs.h"
#include "engine/CGglue.h"

namespace {

int16_t Saturate16(int32_t v) {
    return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

// Where the drawn picture goes: the framing rectangle grown by the scale
// slider (evenly, or by its proportions) and moved by the two move sliders,
// all measured against its larger side. Extreme sliders saturate instead of wrapping around.
Rect DrawingRect(Rect activeRect, int32_t w, int32_t h, const PluginDataRec& theConfig) {
    const int32_t big = std::max(w, h);
    const GrowthRec z =
        GrowthPixels(w, h, theConfig.sliders[cScaleSlider - 1], UniformScale(theConfig));
    const int32_t dx = SliderPixels(big, theConfig.sliders[cMoveXSlider - 1]);
    const int32_t dy = SliderPixels(big, theConfig.sliders[cMoveYSlider - 1]);
    Rect r;
    r.left = Saturate16(activeRect.left - z.x + dx);
    r.top = Saturate16(activeRect.top - z.y + dy);
    r.right = Saturate16(activeRect.right + z.x + dx);
    r.bottom = Saturate16(activeRect.bottom + z.y + dy);
    return r;
}

// The part of the framing rectangle that lies inside the source, as
// fractions of the framing rectangle.
RelRect VisiblePart(Rect activeRect, Rect visible, int32_t w, int32_t h) {
    RelRect part;
    part.left = static_cast<double>(visible.left - activeRect.left) / w;
    part.right = static_cast<double>(visible.right - activeRect.left) / w;
    part.top = static_cast<double>(visible.top - activeRect.top) / h;
    part.bottom = static_cast<double>(visible.bottom - activeRect.top) / h;
    return part;
}

}  // namespace

OSErr TheLineEffect(GrafPtr source, GrafPtr dest, Rect activeRect, Boolean, PluginDataPtr theConfig,
                    int32_t, int32_t) {
    SavedGWorld saved;
    const RGBColor background = theConfig->colors[cBackgroundColor - 1];

    const double degrees = TurnAngle(*theConfig);
    const double radians = degrees * std::numbers::pi / 180.0;
    int32_t w, h;
    GetDims(activeRect, &w, &h);

    // Only what lies inside the source can be cut out; a framing rectangle
    // without area (a corner dragged onto its opposite) or entirely outside
    // the frame leaves the background alone.
    const Rect sourceBounds = GetPortRect(source);
    Rect visible;
    if (w <= 0 || h <= 0 || !SectRect(&activeRect, &sourceBounds, &visible)) {
        ClearGW(dest, background);
        return noErr;
    }

    // The source is only read while the cut-out lives, so neither the
    // cut-out nor the image made from it need a copy of its pixels.
    // Memory running short is the host's to hear of, not a reason to end it.
    GWorldPtr theGW = MakeGWorldView(source, visible);
    CGImageRef theImage = theGW ? GWorldView2CGImage(theGW) : nullptr;
    if (!theImage) {
        ClearGW(dest, background);
        if (theGW) DisposeGWorld(theGW);
        return memFullErr;
    }

    // The background and the picture in one go: the picture's drawing then
    // paints the background around itself in the same pass.
    const OSErr drawn = PaintAndDrawCGImagePartInQDRect(
        dest, background, theImage, DrawingRect(activeRect, w, h, *theConfig),
        VisiblePart(activeRect, visible, w, h), static_cast<float>(radians));
    if (drawn != noErr) ClearGW(dest, background);

    CGImageRelease(theImage);
    DisposeGWorld(theGW);
    return drawn;
}

void RenderLineArt(PluginDataPtr theConfig) {
    Assert(theConfig, "nil config on RenderLineArt");
    if (theConfig->theRendered) CGImageRelease(theConfig->theRendered);
    theConfig->theRendered = nullptr;
    if (!theConfig->theOriginalImage) return;
    int32_t wid, hig;
    GetImageDims(theConfig->theOriginalImage, &wid, &hig);
    Rect bounds;
    SetRect(&bounds, 0, 0, static_cast<int16_t>(wid), static_cast<int16_t>(hig));
    GWorldPtr buffer = AllocateRectGWorld(bounds);
    if (!buffer) return;
    // Without memory for the drawing the preview shows nothing rather than
    // an empty picture.
    if (DrawCGImageInQDRect(buffer, theConfig->theOriginalImage, bounds, 0.0f, true) == noErr)
        theConfig->theRendered = GWorld2CGImage(buffer);
    DisposeGWorld(buffer);
}
