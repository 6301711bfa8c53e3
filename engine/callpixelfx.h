// The way into the renderer, for a clip's frame and the dialog's preview
// alike: memFullErr when memory is short, noErr otherwise.
#ifndef HZ_ENGINE_CALLPIXELFX_H
#define HZ_ENGINE_CALLPIXELFX_H

#include "record/PluginData.h"

OSErr DoPixelEffect(GrafPtr source, GrafPtr dest, PluginDataPtr theConfig,
                    int32_t currentFrameIndex, int32_t maxFrames);
OSErr PixelDrive(GrafPtr source, GrafPtr dest, Rect theRect, PluginDataPtr theConfig,
                 int32_t currentFrame, int32_t numFrames);

#endif
