// The clip control: the preview with the framing rectangle, and its drag.
#ifndef HZ_DIALOG_CLIPCTRL_H
#define HZ_DIALOG_CLIPCTRL_H

#include "dialog/carbonmacros.h"
#include "platform/hitoolbox/HIToolbox.h"

inline constexpr char cClipCtrlID[] = "com.vond.clipfx.clip";

extern const ControlClassDescRec cClipCtrlClass;
OSStatus ClipCtrlControlHandler(EventHandlerCallRef myHandler, EventRef theEvent, void* userData);

#endif
