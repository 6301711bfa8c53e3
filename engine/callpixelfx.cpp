#include "engine/callpixelfx.h"

#include "common/commonprocs.h"
#include "engine/lineEffect.h"

void DoPixelEffect(GrafPtr source, GrafPtr dest, PluginDataPtr theConfig, int32_t currentFrameIndex,
                   int32_t maxFrames) {
    const Rect frame = GetPortRect(dest);
    const Rect active = CalcTweenRect(theConfig, frame, currentFrameIndex, maxFrames);
    PixelDrive(source, dest, active, theConfig, currentFrameIndex, maxFrames);
}

void CallPixelEffect(GrafPtr source, GrafPtr dest) {
    Assert(gConfigWorkspace.theConfig, "Nil theConfig on CallPixelEffect");
    DoPixelEffect(source, dest, gConfigWorkspace.theConfig, gConfigWorkspace.currFrameIndex,
                  gConfigWorkspace.maxFrameIndex);
}

void PixelDrive(GrafPtr source, GrafPtr dest, Rect theRect, PluginDataPtr theConfig,
                int32_t currentFrame, int32_t numFrames) {
    TheLineEffect(source, dest, theRect, true, theConfig, currentFrame, numFrames);
}
