// Framing rectangles onto frames of any size, and the one in between the
// start and end rectangles at a frame of a clip.
#ifndef HZ_ENGINE_RELRECTS_H
#define HZ_ENGINE_RELRECTS_H

#include <stdint.h>

#include "platform/types/MacTypes.h"
#include "record/RelRect.h"

struct PluginDataRec;

void InitRelRect(RelRect* theRel);
Rect Rel2Rect(RelRect theRel, Rect theFrame);
// A frame without width or height gives the whole-frame rectangle.
RelRect Rect2Rel(Rect theRect, Rect theFrame);
Rect CalcTweenRect(const PluginDataRec* theConfig, Rect theFrame, int32_t currentFrameIndex,
                   int32_t maxFrames);

#endif
