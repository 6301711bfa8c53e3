// One frame of a clip for the host, with the fades at the clip's ends, and
// the preview's way of fetching another frame.
#ifndef HZ_HOST_IMOVIEGLUE_H
#define HZ_HOST_IMOVIEGLUE_H

#include "host/HYPlugin.h"
#include "platform/quickdraw/QuickDraw.h"

HYPluginResult ApplyEffect(GWorldPtr sourceFrame, HYPluginParams* params);
OSErr ApplyLineArtEffect(GWorldPtr sourceFrame, GWorldPtr targetFrame, HYPluginParams* params);
// The host's result of the fetch, or -1 for a frame before the clip. The
// host's frame is given back at once and never disposed of here, whatever
// disposeAfterUse says: a host disposes of its own frames at ReleaseFrame.
int16_t GetFrameIntoGW(GWorldPtr theGW, HYPluginParams* params, int32_t frameIndex,
                       int16_t disposeAfterUse);
// Whether clip frame renderFrame lies in a fade, and the opacity with which
// the unprocessed frame is laid over the result there.
bool FadeOpacity(int32_t renderFrame, int32_t frameCount, int32_t fadeInFrames,
                 int32_t fadeOutFrames, int16_t* opacity);

#endif
