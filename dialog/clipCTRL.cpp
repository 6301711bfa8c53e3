#include "dialog/clipCTRL.h"

#include <cmath>
#include <iterator>
#include <numbers>

#include "common/commonprocs.h"
#include "dialog/ConfigWorkspace.h"
#include "dialog/carbonmacros.h"
#include "dialog/dlgUtils.h"
#include "dialog/sliderHandlers.h"
#include "engine/DataHandling.h"
#include "engine/callpixelfx.h"
#include "engine/lineEffect.h"
#include "engine/relrects.h"
#include "record/SettingsTable.h"

namespace {

const EventTypeSpec cClipCtrlEvents[] = {{kEventClassControl, kEventControlDraw},
                                         {kEventClassControl, kEventControlHitTest},
                                         {kEventClassControl, kEventControlHit},
                                         {kEventClassControl, kEventControlActivate},
                                         {kEventClassControl, kEventControlOwningWindowChanged},
                                         {kEventClassControl, kEventControlTrack}};

// A drag lives from the mouse-down on a part to the mouse-up. Corners are
// worked out from the rectangle at mouse-down and the whole offset since;
// a move adds up the steps, so it goes on from the last point inside. With
// Control held the drag is a line along what should be level, and at the
// mouse-up the turn takes up the lean it shows.
enum class DragState { cIdle, cDragging, cLevelling };

// Shorter lines say too little about a lean to be taken.
constexpr int kLeastLevelLine = 20;

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
    lgDrag.state = lgDrag.modifiers & ControlMask ? DragState::cLevelling : DragState::cDragging;
}

// The preview shows the picture turned already: the line's lean is what is
// left, and adds to the turn.
void LevelAlong(Point from, Point to) {
    const int dh = to.h - from.h, dv = to.v - from.v;
    if (dh * dh + dv * dv < kLeastLevelLine * kLeastLevelLine) return;
    double lean = std::atan2(dv, dh) * 180 / std::numbers::pi;
    if (lean > 90) lean -= 180;
    if (lean < -90) lean += 180;
    if (lean > 45 || lean < -45) lean -= lean > 0 ? 90 : -90;  // drawn along something upright
    PluginWorkspace& ws = gConfigWorkspace;
    const SettingDescRec& turn = *SliderDesc(cTurnSlider);
    const int16_t steps = ClampToDesc(
        turn, ws.theConfig->sliders[cTurnSlider - 1] + std::lround(lean / TurnDegrees(1)));
    ws.theConfig->sliders[cTurnSlider - 1] = steps;
    ws.theConfig->sliders[cTurnFineSlot - 1] = 0;
    SetControl32BitValue(ws.sliders[cTurnSlider - 1], steps);
    SetSliderLegend(ws.theWindow, cTurnSlider, steps);
    RenderLineArt(ws.theConfig);
    ReRenderAndBlit();
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
            if (lgDrag.state == DragState::cLevelling)
                LevelAlong(lgDrag.start, GetEventMouseLocation(theEvent));
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
            uint32_t modifiers = 0;
            GetEventParameter(theEvent, kEventParamKeyModifiers, typeUInt32, nullptr,
                              sizeof modifiers, nullptr, &modifiers);
            ControlPartCode part = kClipNothing;
            if (PtInRect(where, &bounds))
                part = modifiers & ControlMask
                           ? ControlPartCode{kClipLevelLine}
                           : IsHandleHit(Rel2Rect(gConfigWorkspace.theConfig->startRel, bounds),
                                         where);
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
