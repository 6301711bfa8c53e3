#include "dialog/clipCTRL.h"

#include <iterator>

#include "common/commonprocs.h"
#include "dialog/ConfigWorkspace.h"
#include "dialog/carbonmacros.h"
#include "dialog/dlgUtils.h"
#include "engine/DataHandling.h"
#include "engine/callpixelfx.h"
#include "engine/relrects.h"

namespace {

const EventTypeSpec cClipCtrlEvents[] = {{kEventClassControl, kEventControlDraw},
                                         {kEventClassControl, kEventControlHitTest},
                                         {kEventClassControl, kEventControlHit},
                                         {kEventClassControl, kEventControlActivate},
                                         {kEventClassControl, kEventControlOwningWindowChanged},
                                         {kEventClassControl, kEventControlTrack}};

// A drag lives from the mouse-down on a part to the mouse-up. Corners are
// worked out from the rectangle at mouse-down and the whole offset since;
// a move adds up the steps, so it goes on from the last point inside.
enum class DragState { cIdle, cDragging };

struct ClipDragRec {
    DragState state = DragState::cIdle;
    int16_t part = kClipNothing;
    uint32_t modifiers = 0;  // as at mouse-down: keys changed later do not count
    Rect bounds = {};
    Rect origRect = {};
    Rect r = {};
    RelRect origRel = {};
    Point start = {};
    Point last = {};
};
ClipDragRec lgDrag;

void BeginDrag(ControlRef theControl, EventRef theEvent) {
    lgDrag.start = GetEventMouseLocation(theEvent);
    GetEventParameter(theEvent, kEventParamKeyModifiers, typeUInt32, nullptr,
                      sizeof lgDrag.modifiers, nullptr, &lgDrag.modifiers);
    lgDrag.bounds = GetControlBox(theControl);
    lgDrag.origRect = Rel2Rect(gConfigWorkspace.theConfig->startRel, lgDrag.bounds);
    lgDrag.r = lgDrag.origRect;
    lgDrag.origRel = GetCurrentRel();
    lgDrag.part = IsHandleHit(lgDrag.r, lgDrag.start);
    lgDrag.last = lgDrag.start;
    lgDrag.state = DragState::cDragging;
}

void DragTo(WindowPtr theWindow, Point current) {
    if (!PtInRect(current, &lgDrag.bounds) || lgDrag.part < kClipTopLeft) return;
    if (lgDrag.part == kClipInside) {
        DragRect(&lgDrag.r, lgDrag.last, current, lgDrag.modifiers);
        lgDrag.last = current;
    } else {
        lgDrag.r = lgDrag.origRect;
        DragCorner(lgDrag.part, &lgDrag.r, lgDrag.start, current, lgDrag.modifiers, lgDrag.bounds,
                   lgDrag.origRel);
    }
    PutCurrentRel(Rect2Rel(lgDrag.r, lgDrag.bounds));
    CallPixelEffect(gConfigWorkspace.sourceClip, gConfigWorkspace.theFXClip);
    DrawFrameContents(theWindow, lgDrag.bounds);
}

void Track(ControlRef theControl, EventRef theEvent) {
    MouseTrackingResult result = 0;
    GetEventParameter(theEvent, kEventParamMouseTrackingResult, typeMouseTrackingResult, nullptr,
                      sizeof result, nullptr, &result);
    switch (result) {
        case kMouseTrackingMouseDown:
            BeginDrag(theControl, theEvent);
            break;
        case kMouseTrackingMouseDragged:
            if (lgDrag.state == DragState::cDragging)
                DragTo(GetControlOwner(theControl), GetEventMouseLocation(theEvent));
            break;
        case kMouseTrackingMouseUp:
            lgDrag.state = DragState::cIdle;
            break;
        default:
            break;
    }
}

bool Drawable(ControlRef theControl) {
    const ControlPartCode hilite = GetControlHilite(theControl);
    return hilite != kControlDisabledPart && hilite < kControlInactivePart;
}

}  // namespace

const ControlClassDescRec cClipCtrlClass = {cClipCtrlID, ClipCtrlControlHandler, cClipCtrlEvents,
                                            std::size(cClipCtrlEvents)};

OSStatus ClipCtrlControlHandler(EventHandlerCallRef, EventRef theEvent, void*) {
    OSStatus result = eventNotHandledErr;
    ControlRef theControl = GetEventControl(theEvent);
    WindowPtr theWindow = GetControlOwner(theControl);
    SavedGWorld saved;
    SetPortWindowPort(theWindow);
    const Rect bounds = GetControlBox(theControl);

    switch (GetEventKind(theEvent)) {
        case kEventControlDraw:
        case kEventControlActivate:
        case kEventControlOwningWindowChanged:
            if (Drawable(theControl)) DrawFrameContents(theWindow, bounds);
            result = noErr;
            break;
        case kEventControlHitTest: {
            const Point where = GetEventMouseLocation(theEvent);
            const ControlPartCode part =
                PtInRect(where, &bounds)
                    ? IsHandleHit(Rel2Rect(gConfigWorkspace.theConfig->startRel, bounds), where)
                    : ControlPartCode{kClipNothing};
            SetEventControlPart(theEvent, part);
            result = noErr;
            break;
        }
        case kEventControlHit:  // the drag has done all a click does
            result = noErr;
            break;
        case kEventControlTrack:
            Track(theControl, theEvent);
            result = noErr;
            break;
        default:
            break;
    }

    const Rect portRect = GetPortRect(GetWindowPort(theWindow));
    ClipRect(&portRect);
    return result;
}
