// The current port, shared by the QuickDraw calls of this layer.
#ifndef HZ_PLATFORM_QUICKDRAW_PORTS_H
#define HZ_PLATFORM_QUICKDRAW_PORTS_H

#include "platform/quickdraw/QuickDraw.h"

namespace quickdraw {

GrafPtr CurrentPort();
// A port being disposed of stops being current, so nothing draws into freed memory.
void ForgetPort(GrafPtr port);

}  // namespace quickdraw

#endif
