#include "engine/callpixelfx.h"

#include "common/commonprocs.h"
#include "engine/lineEffect.h"
#include "engine/relrects.h"

OSErr DoPixelEffect(GrafPtr source, GrafPtr dest, PluginDataPtr theConfig,
                    int32_t currentFrameIndex, int32_t maxFrames) {
    const Rect frame = GetPortRect(dest);
    const Rect active = CalcTweenRect(theConfig, frame, currentFrameIndex, maxFrames);
    return PixelDrive(source, dest, active, theConfig, currentFrameIndex, maxFrames);
}

OSErr PixelDrive(GrafPtr source, GrafPtr dest, Rect theRect, PluginDataPtr theConfig,
                 int32_t currentFrame, int32_t numFrames) {
    return TheLineEffect(source, dest, theRect, true, theConfig, currentFrame, numFrames);
}
