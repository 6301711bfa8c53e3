// Framing rectangles kept as fractions of a frame, so one setting frames a
// preview, a PAL frame and an HD frame alike.
#ifndef HZ_ENGINE_RELRECTS_H
#define HZ_ENGINE_RELRECTS_H

#include <stdint.h>

#include "platform/types/MacTypes.h"

// The horizontal edges come first; stored files rely on this order.
struct RelRect {
    double left;
    double right;
    double top;
    double bottom;
};

struct PluginDataRec;

void InitRelRect(RelRect* theRel);
Rect Rel2Rect(RelRect theRel, Rect theFrame);
// A frame without width or height gives the whole-frame rectangle.
RelRect Rect2Rel(Rect theRect, Rect theFrame);
Rect CalcTweenRect(const PluginDataRec* theConfig, Rect theFrame, int32_t currentFrameIndex,
                   int32_t maxFrames);

#endif
