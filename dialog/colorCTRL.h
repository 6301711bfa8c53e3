// The colour box: a rectangle of the colour its value holds; a click opens
// the colour dialog.
#ifndef HZ_DIALOG_COLORCTRL_H
#define HZ_DIALOG_COLORCTRL_H

#include "dialog/carbonmacros.h"
#include "platform/hitoolbox/HIToolbox.h"

inline constexpr char cColorCtrlID[] = "com.vond.clipfx.color";

extern const ControlClassDescRec cColorBoxClass;
OSStatus ColorBoxControlHandler(EventHandlerCallRef myHandler, EventRef theEvent, void* userData);
void ColorBoxDraw(Rect theRect, RGBColor theColor);
// True when the user chose a colour; outColor is untouched otherwise.
Boolean UseColorPicker(Point where, ConstStr255Param prompt, RGBColor inColor, RGBColor* outColor);

#endif
