#include "dialog/colorCTRL.h"

#include <QColorDialog>
#include <iterator>

#include "common/commonprocs.h"
#include "dialog/carbonmacros.h"
#include "platform/text/TextUtils.h"

namespace {

const EventTypeSpec cColorBoxEvents[] = {{kEventClassControl, kEventControlDraw},
                                         {kEventClassControl, kEventControlHitTest},
                                         {kEventClassControl, kEventControlHit}};

const RGBColor cBlack = {0, 0, 0};

}  // namespace

const ControlClassDescRec cColorBoxClass = {cColorCtrlID, ColorBoxControlHandler, cColorBoxEvents,
                                            std::size(cColorBoxEvents)};

OSStatus ColorBoxControlHandler(EventHandlerCallRef, EventRef theEvent, void*) {
    OSStatus result = eventNotHandledErr;
    ControlRef theControl = GetEventControl(theEvent);
    const Rect bounds = GetControlBox(theControl);
    switch (GetEventKind(theEvent)) {
        case kEventControlDraw: {
            SavedGWorld saved;
            SetPortWindowPort(GetControlOwner(theControl));
            const ControlPartCode hilite = GetControlHilite(theControl);
            if (hilite >= kControlInactivePart || hilite == kControlDisabledPart) {
                EraseRect(&bounds);
            } else {
                ColorBoxDraw(bounds, LongInt2RGBColor(GetControl32BitValue(theControl)));
            }
            result = noErr;
            break;
        }
        case kEventControlHitTest: {
            const Point where = GetEventMouseLocation(theEvent);
            const ControlPartCode part = PtInRect(where, &bounds) ? 1 : 0;
            SetEventControlPart(theEvent, part);
            result = noErr;
            break;
        }
        case kEventControlHit: {
            // Left unhandled whatever the user chose, so the box's command
            // still reaches the dialog, which copies the value.
            RGBColor c = LongInt2RGBColor(GetControl32BitValue(theControl));
            Str255 prompt;
            CopyCStringToPascal("Please choose color:", prompt);
            if (UseColorPicker(Point{0, 0}, prompt, c, &c))
                SetControl32BitValue(theControl, RGBColor2LongInt(c));
            break;
        }
        default:
            break;
    }
    return result;
}

void ColorBoxDraw(Rect theRect, RGBColor theColor) {
    RGBForeColor(&theColor);
    PaintRect(&theRect);
    RGBForeColor(&cBlack);
    FrameRect(&theRect);
}

// Qt's colour dialog stands in for the system colour picker; where it
// appears is left to the window system.
Boolean UseColorPicker(Point, ConstStr255Param prompt, RGBColor inColor, RGBColor* outColor) {
    char title[256 * 3] = "";
    if (CFStringRef text = MakeCFString(prompt)) {
        CFStringGetCString(text, title, sizeof title, kCFStringEncodingUTF8);
        CFRelease(text);
    }
    QColorDialog picker(QColor::fromRgba64(inColor.red, inColor.green, inColor.blue));
    picker.setWindowTitle(QString::fromUtf8(title));
    picker.setOption(QColorDialog::DontUseNativeDialog);
    if (picker.exec() != QDialog::Accepted) return false;
    const QRgba64 chosen = picker.selectedColor().rgba64();
    *outColor = RGBColor{chosen.red(), chosen.green(), chosen.blue()};
    return true;
}
