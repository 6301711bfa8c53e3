#include "dialog/dlgUtils.h"

#include <algorithm>

#include "common/commonprocs.h"
#include "dialog/ConfigWorkspace.h"
#include "engine/CGglue.h"
#include "platform/hitoolbox/HIToolbox.h"

namespace {

// Coordinates stay 16-bit: a corner pushed past the range stops at its end
// instead of wrapping round to the other side of the plane.
int16_t Pin16(int32_t v) {
    return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

Point Offset(Point p, int32_t dh, int32_t dv) { return Point{Pin16(p.v + dv), Pin16(p.h + dh)}; }

Rect HandleZone(int16_t h, int16_t v) {
    Rect zone;
    SetRect(&zone, Pin16(h - cHandleSize), Pin16(v - cHandleSize), Pin16(h + cHandleSize),
            Pin16(v + cHandleSize));
    return zone;
}

Rect KeepProportionsOf(Rect propRect, Rect theRect) {
    int32_t w, h;
    GetDims(propRect, &w, &h);
    return w > h ? KeepPropsWithFixedHorizontal(propRect, theRect)
                 : KeepPropsWithFixedVertical(propRect, theRect);
}

const RGBColor cBlack = {0, 0, 0};
const RGBColor cWhite = {0xFFFF, 0xFFFF, 0xFFFF};

}  // namespace

int16_t IsHandleHit(Rect theRect, Point theLoc) {
    const Point corners[4] = {{theRect.top, theRect.left},
                              {theRect.top, theRect.right},
                              {theRect.bottom, theRect.left},
                              {theRect.bottom, theRect.right}};
    for (int16_t i = 0; i < 4; ++i) {
        const Rect zone = HandleZone(corners[i].h, corners[i].v);
        if (PtInRect(theLoc, &zone)) return static_cast<int16_t>(kClipTopLeft + i);
    }
    return PtInRect(theLoc, &theRect) ? int16_t{kClipInside} : int16_t{kClipNothing};
}

void DrawFrameContents(WindowPtr theWindow, Rect destRect) {
    SavedGWorld saved;
    CGrafPtr port = GetWindowPort(theWindow);
    SetGWorld(port, nullptr);
    const PluginWorkspace& ws = gConfigWorkspace;
    const Rect source = GetPortRect(ws.theFXClip);

    RGBBackColor(&cWhite);
    RGBForeColor(&cBlack);
    {
        LockedPixels lockPreview(ws.theFXClip);
        CopyBits(GetPortBitMapForCopyBits(ws.theFXClip), GetPortBitMapForCopyBits(port), &source,
                 &destRect, srcCopy, nullptr);
    }

    const Rect portRect = GetPortRect(port);
    ClipRect(&destRect);
    RGBForeColor(&ws.theConfig->frameStartColor);
    const Rect frame = Rel2Rect(ws.theConfig->startRel, destRect);
    FrameRect(&frame);
    if (ws.activeRel == 1) DrawHandles(frame);

    ClipRect(&portRect);
    RGBForeColor(&cBlack);
    FrameRect(&destRect);
}

// Three one-pixel rings, black, white and black from the outside in, so a
// handle shows on any picture.
void DrawHandles(Rect theRect) {
    const Point corners[4] = {{theRect.top, theRect.left},
                              {theRect.top, theRect.right},
                              {theRect.bottom, theRect.left},
                              {theRect.bottom, theRect.right}};
    for (const Point& corner : corners) {
        Rect r = HandleZone(corner.h, corner.v);
        RGBForeColor(&cBlack);
        FrameOval(&r);
        RGBForeColor(&cWhite);
        InsetRect(&r, 1, 1);
        FrameOval(&r);
        RGBForeColor(&cBlack);
        InsetRect(&r, 1, 1);
        FrameOval(&r);
    }
}

void DragRect(Rect* theRect, Point oldLoc, Point newLoc, uint32_t) {
    const int32_t dh = newLoc.h - oldLoc.h, dv = newLoc.v - oldLoc.v;
    const Point topLeft = Offset(Point{theRect->top, theRect->left}, dh, dv);
    const Point bottomRight = Offset(Point{theRect->bottom, theRect->right}, dh, dv);
    SetRect(theRect, topLeft.h, topLeft.v, bottomRight.h, bottomRight.v);
}

void DragCorner(int16_t theHandle, Rect* theRect, Point oldLoc, Point newLoc, uint32_t modifiers,
                Rect theFrame, RelRect origRel) {
    if (theHandle < kClipTopLeft || theHandle > kClipBottomRight) return;
    const Rect& r = *theRect;
    Point varPoint, fixPoint;
    switch (theHandle) {
        case kClipTopLeft:
            varPoint = {r.top, r.left};
            fixPoint = {r.bottom, r.right};
            break;
        case kClipTopRight:
            varPoint = {r.top, r.right};
            fixPoint = {r.bottom, r.left};
            break;
        case kClipBottomLeft:
            varPoint = {r.bottom, r.left};
            fixPoint = {r.top, r.right};
            break;
        default:
            varPoint = {r.bottom, r.right};
            fixPoint = {r.top, r.left};
            break;
    }
    const int32_t dh = newLoc.h - oldLoc.h, dv = newLoc.v - oldLoc.v;
    varPoint = Offset(varPoint, dh, dv);
    if (modifiers & OptionMask) fixPoint = Offset(fixPoint, -dh, -dv);
    Pt2Rect(fixPoint, varPoint, theRect);
    if (modifiers & ShiftMask) *theRect = KeepProportionsOf(Rel2Rect(origRel, theFrame), *theRect);
    KeepImageProps(theRect);
}

void KeepImageProps(Rect* theRect) {
    const PluginDataRec* theConfig = gConfigWorkspace.theConfig;
    if (!theConfig->keepProps || !theConfig->theOriginalImage) return;
    int32_t w, h;
    GetImageDims(theConfig->theOriginalImage, &w, &h);
    Rect propRect;
    SetRect(&propRect, 0, 0, Pin16(w), Pin16(h));
    *theRect = KeepProportionsOf(propRect, *theRect);
}
