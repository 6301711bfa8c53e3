// Drawing and editing the framing rectangle on the clip control.
#ifndef HZ_DIALOG_DLGUTILS_H
#define HZ_DIALOG_DLGUTILS_H

#include "record/PluginData.h"

// Part codes of the clip control.
enum {
    kClipNothing = 0,
    kClipTopLeft = 1,
    kClipTopRight = 2,
    kClipBottomLeft = 3,
    kClipBottomRight = 4,
    kClipInside = 5,
    kClipLevelLine = 6  // with Control held: a line drawn along the horizon
};

enum : uint32_t { ShiftMask = 512, OptionMask = 2048, ControlMask = 4096 };

// Handles win over the inside; of overlapping handles the lower number wins.
int16_t IsHandleHit(Rect theRect, Point theLoc);
// The preview scaled into destRect, the framing rectangle with its handles
// clipped to it, and a black border round it.
void DrawFrameContents(WindowPtr theWindow, Rect destRect);
void DrawHandles(Rect theRect);
void DragRect(Rect* theRect, Point oldLoc, Point newLoc, uint32_t modifiers);
// theRect holds the rectangle at mouse-down; oldLoc is the mouse-down point.
void DragCorner(int16_t theHandle, Rect* theRect, Point oldLoc, Point newLoc, uint32_t modifiers,
                Rect theFrame, RelRect origRel);
void KeepImageProps(Rect* theRect);

#endif
