#include "dialog/pictCTRL.h"

#include <iterator>

#include "common/commonprocs.h"
#include "dialog/carbonmacros.h"
#include "engine/CGglue.h"

namespace {

const EventTypeSpec cPictureEvents[] = {{kEventClassControl, kEventControlDraw},
                                        {kEventClassControl, kEventControlHitTest},
                                        {kEventClassControl, kEventControlHit}};

const RGBColor cBlack = {0, 0, 0};
const RGBColor cWhite = {0xFFFF, 0xFFFF, 0xFFFF};

void DrawPictureBox(ControlRef theControl, CGrafPtr port) {
    const Rect bounds = GetControlBox(theControl);
    const ControlPartCode hilite = GetControlHilite(theControl);
    if (hilite == kControlDisabledPart || hilite >= kControlInactivePart) return;
    RGBBackColor(&cWhite);
    EraseRect(&bounds);
    // A reference, kept whole: a 32-bit control value cannot hold a pointer here.
    auto image = reinterpret_cast<CGImageRef>(GetControlReference(theControl));
    if (image) {
        Rect r = CalcProportionalImageForFrame(image, bounds);
        CenterRectInRect(&r, bounds);
        DrawCGImageInQDRect(port, image, r, 0.0f, false);
    }
    RGBForeColor(&cBlack);
    FrameRect(&bounds);
    if (hilite != 0) InvertRect(&bounds);
}

}  // namespace

const ControlClassDescRec cPictureControlClass = {cImageCtrlID, PictureControlHandler,
                                                  cPictureEvents, std::size(cPictureEvents)};

OSStatus PictureControlHandler(EventHandlerCallRef, EventRef theEvent, void*) {
    OSStatus result = eventNotHandledErr;
    ControlRef theControl = GetEventControl(theEvent);
    switch (GetEventKind(theEvent)) {
        case kEventControlDraw: {
            SavedGWorld saved;
            CGrafPtr port = GetWindowPort(GetControlOwner(theControl));
            if (port) {
                SetPort(port);
                DrawPictureBox(theControl, port);
            }
            result = noErr;
            break;
        }
        case kEventControlHitTest: {
            const Point where = GetEventMouseLocation(theEvent);
            const Rect bounds = GetControlBox(theControl);
            const ControlPartCode part = PtInRect(where, &bounds) ? 1 : 0;
            SetEventControlPart(theEvent, part);
            result = noErr;
            break;
        }
        default:  // a click goes on to the standard handling, which sends the box's command
            break;
    }
    return result;
}
