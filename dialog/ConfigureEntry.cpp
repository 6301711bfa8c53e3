#include "dialog/ConfigureEntry.h"

#include <algorithm>

#include "common/commonprocs.h"
#include "dialog/DialogEntry.h"
#include "dialog/configdlghandler.h"

OSErr ConfigurePlugIn(void* theData, GWorldPtr theGW, HYPluginParams* params,
                      int32_t firstFrameIndex, int32_t numberOfFrames, int32_t shownFrameIndex,
                      GetFrameIntoGWProcPtr fetchFrame, MeasureTiltProcPtr measureTilt) {
    Assert(theData,
           "uninited theData in Configure master proc. need to call init before calling me");
    PluginWorkspace& ws = gConfigWorkspace;
    ws.theConfig = static_cast<PluginDataPtr>(theData);
    ws.sourceClip = theGW;
    ws.iMovieParams = params;
    ws.fetchFrame = fetchFrame;
    ws.measureTilt = measureTilt;
    ws.minFrameIndex = firstFrameIndex;
    ws.maxFrameIndex = (numberOfFrames < 1 ? 1 : numberOfFrames) - 1;
    ws.currFrameIndex = std::clamp(shownFrameIndex, 0, ws.maxFrameIndex);
    ws.activeRel = 1;

    // Not having the memory for a preview is no reason to end the editor
    // that hosts us: the host hears of it and the settings stay as they were.
    Rect bounds;
    GetPortBounds(theGW, &bounds);
    ws.theFXClip = AllocateRectGWorld(bounds);
    if (!ws.theFXClip) return memFullErr;

    if (CallPixelEffect(theGW, ws.theFXClip) != noErr) {
        DisposeGWorld(ws.theFXClip);
        ws.theFXClip = nullptr;
        return memFullErr;
    }
    RegisterDialogControls();
    const OSErr answer = DoConfig(ws.theConfig);
    UnregisterDialogControls();

    DisposeGWorld(ws.theFXClip);
    ws.theFXClip = nullptr;
    return answer;
}
