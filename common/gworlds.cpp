#include <cstddef>

#include "common/commonprocs.h"

namespace {
QDErr lgAllocationError = noErr;
}

QDErr AllocationError() { return lgAllocationError; }

GWorldPtr AllocateRectGWorld(Rect theRect) {
    OffsetRect(&theRect, static_cast<int16_t>(-theRect.left), static_cast<int16_t>(-theRect.top));
    GWorldPtr theGW = nullptr;
    lgAllocationError = NewGWorld(&theGW, 32, &theRect, nullptr, nullptr, 0);
    if (lgAllocationError != noErr) return nullptr;
    LockGWorld(theGW);
    return theGW;
}

GWorldPtr AllocateGWorld(int16_t wid, int16_t hig) {
    Rect r;
    SetRect(&r, 0, 0, wid, hig);
    return AllocateRectGWorld(r);
}

void LockGWorld(GWorldPtr theGW) {
    if (theGW) LockPixels(GetGWorldPixMap(theGW));
}

void ClearGW(GWorldPtr theGW, RGBColor theColor) {
    if (!theGW) return;
    const Rect bounds = CarbonGetPortBounds(theGW);
    SavedGWorld saved;
    SetGWorld(theGW, nullptr);
    RGBForeColor(&theColor);
    PaintRect(&bounds);
    const RGBColor black = {0, 0, 0};
    RGBForeColor(&black);
}

const BitMap* CarbonGetPortBitMapForCopyBits(GrafPtr thePort) {
    return GetPortBitMapForCopyBits(thePort);
}

void DrawGWinGW(GWorldPtr theSource, GWorldPtr theDest, Rect theRect) {
    SavedGWorld saved;
    SetGWorld(theDest, nullptr);
    const RGBColor black = {0, 0, 0}, white = {0xFFFF, 0xFFFF, 0xFFFF};
    RGBForeColor(&black);
    RGBBackColor(&white);
    const Rect sourceBounds = CarbonGetPortBounds(theSource);
    CopyBits(CarbonGetPortBitMapForCopyBits(theSource), CarbonGetPortBitMapForCopyBits(theDest),
             &sourceBounds, &theRect, srcCopy, nullptr);
}

void Source2Target(GWorldPtr theSource, GWorldPtr theTarget) {
    if (!theSource || !theTarget) return;
    DrawGWinGW(theSource, theTarget, CarbonGetPortBounds(theTarget));
}

GWorldPtr MakeGWorldView(GWorldPtr theGW, Rect theRect) {
    if (!theGW) return nullptr;
    const Rect bounds = CarbonGetPortBounds(theGW);
    Rect inside;
    if (!SectRect(&theRect, &bounds, &inside) || inside.left != theRect.left ||
        inside.top != theRect.top || inside.right != theRect.right ||
        inside.bottom != theRect.bottom) {
        return nullptr;
    }
    PixMapHandle pm = GetGWorldPixMap(theGW);
    const int32_t rowBytes = GetPixRowBytes(pm);
    Ptr first =
        GetPixBaseAddr(pm) + static_cast<ptrdiff_t>(theRect.top) * rowBytes + 4 * theRect.left;
    OffsetRect(&theRect, static_cast<int16_t>(-theRect.left), static_cast<int16_t>(-theRect.top));
    GWorldPtr view = nullptr;
    lgAllocationError =
        NewGWorldFromPtr(&view, (*pm)->pixelFormat, &theRect, nullptr, nullptr, 0, first, rowBytes);
    if (lgAllocationError != noErr) return nullptr;
    LockGWorld(view);
    return view;
}

GWorldPtr MakeGWorldClone(GWorldPtr theGW) {
    if (!theGW) return nullptr;
    GWorldPtr clone = AllocateRectGWorld(CarbonGetPortBounds(theGW));
    if (clone) Source2Target(theGW, clone);
    return clone;
}

Boolean PixelsMayOverlap(GWorldPtr theGW, GWorldPtr other, Rect theRect) {
    const PixMap* a = *GetGWorldPixMap(theGW);
    const PixMap* b = *GetGWorldPixMap(other);
    if (!a->baseAddr || !b->baseAddr || EmptyRect(&theRect)) return false;
    const auto start = [](const PixMap* pm, int32_t row, int32_t column) {
        return reinterpret_cast<uintptr_t>(pm->baseAddr) +
               static_cast<uintptr_t>(row - pm->bounds.top) * pm->rowBytes +
               static_cast<uintptr_t>(column - pm->bounds.left) * 4;
    };
    const uintptr_t aStart = start(a, a->bounds.top, a->bounds.left);
    const uintptr_t aEnd = start(a, a->bounds.bottom - 1, a->bounds.right);
    const uintptr_t bStart = start(b, theRect.top, theRect.left);
    const uintptr_t bEnd = start(b, theRect.bottom - 1, theRect.right);
    return aStart < bEnd && bStart < aEnd;
}
