// The two ways into the renderer: a clip's frame, and the dialog's preview.
// Each answers memFullErr when memory is short and noErr otherwise.
#ifndef HZ_ENGINE_CALLPIXELFX_H
#define HZ_ENGINE_CALLPIXELFX_H

#include "record/PluginData.h"

OSErr DoPixelEffect(GrafPtr source, GrafPtr dest, PluginDataPtr theConfig,
                    int32_t currentFrameIndex, int32_t maxFrames);
// With the settings and position of the dialog's workspace.
OSErr CallPixelEffect(GrafPtr source, GrafPtr dest);
OSErr PixelDrive(GrafPtr source, GrafPtr dest, Rect theRect, PluginDataPtr theConfig,
                 int32_t currentFrame, int32_t numFrames);

#endif
