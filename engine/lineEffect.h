// The effect itself: background, framing cut-out, scale, move and turn.
#ifndef HZ_ENGINE_LINEEFFECT_H
#define HZ_ENGINE_LINEEFFECT_H

#include "record/PluginData.h"

// copyRest, currFrame and maxFrame do not influence the picture. memFullErr
// when the cut-out's image or the drawing's context cannot be made; dest
// then holds the background.
OSErr TheLineEffect(GrafPtr source, GrafPtr dest, Rect activeRect, Boolean copyRest,
                    PluginDataPtr theConfig, int32_t currFrame, int32_t maxFrame);
void RenderLineArt(PluginDataPtr theConfig);

#endif
