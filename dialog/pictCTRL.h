// The picture box: a framed white box showing, fitted and centred, the
// image whose reference the control holds (SetControlReference; the box
// neither retains nor releases it).
#ifndef HZ_DIALOG_PICTCTRL_H
#define HZ_DIALOG_PICTCTRL_H

#include "dialog/carbonmacros.h"
#include "platform/hitoolbox/HIToolbox.h"

inline constexpr char cImageCtrlID[] = "com.vond.clipfx.imageCTRL";

extern const ControlClassDescRec cPictureControlClass;
OSStatus PictureControlHandler(EventHandlerCallRef myHandler, EventRef theEvent, void* userData);

#endif
