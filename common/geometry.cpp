#include <cmath>
#include <utility>

#include "common/commonprocs.h"

namespace {

Rect MakeRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Rect r;
    SetRect(&r, static_cast<int16_t>(left), static_cast<int16_t>(top), static_cast<int16_t>(right),
            static_cast<int16_t>(bottom));
    return r;
}

// Fits round half up by adding 0.5 and truncating toward zero; a result
// outside the 16-bit range (a degenerate original) saturates.
int32_t RoundHalfUp(double v) {
    const double t = std::trunc(v + 0.5);
    if (std::isnan(t)) return 0;
    if (t < INT16_MIN) return INT16_MIN;
    if (t > INT16_MAX) return INT16_MAX;
    return static_cast<int32_t>(t);
}

}  // namespace

Rect GetPortRect(GrafPtr thePort) { return CarbonGetPortBounds(thePort); }

Rect CarbonGetPortBounds(GrafPtr thePort) {
    Rect r;
    GetPortBounds(thePort, &r);
    return r;
}

void GetDims(Rect theRect, int32_t* wid, int32_t* hig) {
    *wid = theRect.right - theRect.left;
    *hig = theRect.bottom - theRect.top;
}

void CenterRectInRect(Rect* theRect, Rect theBounds) {
    int32_t bw, bh, rw, rh;
    GetDims(theBounds, &bw, &bh);
    GetDims(*theRect, &rw, &rh);
    const int16_t cx = static_cast<int16_t>(theBounds.left + bw / 2);
    const int16_t cy = static_cast<int16_t>(theBounds.top + bh / 2);
    const int16_t rx = static_cast<int16_t>(theRect->left + rw / 2);
    const int16_t ry = static_cast<int16_t>(theRect->top + rh / 2);
    OffsetRect(theRect, static_cast<int16_t>(-(rx - cx)), static_cast<int16_t>(-(ry - cy)));
}

void VerifyRect(Rect* theRect) {
    if (theRect->left > theRect->right) std::swap(theRect->left, theRect->right);
    if (theRect->top > theRect->bottom) std::swap(theRect->top, theRect->bottom);
}

Rect KeepPropsWithFixedHorizontal(Rect inOriginal, Rect inNewSize) {
    const double deltaX = inOriginal.right - inOriginal.left;
    const double deltaY = inOriginal.bottom - inOriginal.top;
    const double newX = inNewSize.right - inNewSize.left;
    Rect result = inNewSize;
    // A zero-height original would divide by zero below: keep the size.
    if (deltaX == 0 || deltaY == 0) return result;
    const double prop = deltaX / deltaY;
    const double newY = newX / prop;
    result.bottom = static_cast<int16_t>(result.top + RoundHalfUp(newY));
    return result;
}

Rect KeepPropsWithFixedVertical(Rect inOriginal, Rect inNewSize) {
    const double deltaX = inOriginal.right - inOriginal.left;
    const double deltaY = inOriginal.bottom - inOriginal.top;
    const double newY = inNewSize.bottom - inNewSize.top;
    Rect result = inNewSize;
    if (deltaY == 0) return result;
    const double prop = deltaX / deltaY;
    const double newX = prop * newY;
    result.right = static_cast<int16_t>(result.left + RoundHalfUp(newX));
    return result;
}

Rect CalcProportionalRectForFrame(Rect inRect, Rect inFrame) {
    int32_t iWid, iHig, wid, hig;
    GetDims(inRect, &iWid, &iHig);
    GetDims(inFrame, &wid, &hig);
    const Rect imageBounds = MakeRect(0, 0, iWid, iHig);
    const Rect theNewBounds = MakeRect(0, 0, wid, hig);
    if (wid > hig) {
        return iWid > iHig ? KeepPropsWithFixedHorizontal(imageBounds, theNewBounds)
                           : KeepPropsWithFixedVertical(imageBounds, theNewBounds);
    }
    return iHig > iWid ? KeepPropsWithFixedVertical(imageBounds, theNewBounds)
                       : KeepPropsWithFixedHorizontal(imageBounds, theNewBounds);
}

double Sgn(double theVal) { return theVal < 0 ? -1.0 : 1.0; }
