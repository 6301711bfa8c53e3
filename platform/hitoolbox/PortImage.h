// What the screen shows of a window port.
#ifndef HZ_PLATFORM_HITOOLBOX_PORTIMAGE_H
#define HZ_PLATFORM_HITOOLBOX_PORTIMAGE_H

#include <QImage>

#include "platform/quickdraw/QuickDraw.h"

namespace hitoolbox {

// The pixels of r (inside the port) into image, which is made or reused at
// r's size. The port's bytes are alpha, red, green, blue; Qt's 32-bit
// format is the same value in native order, so each pixel's bytes turn round.
void CopyPortToImage(GWorldPtr port, Rect r, QImage* image);

}  // namespace hitoolbox

#endif
