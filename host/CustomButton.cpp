#include <algorithm>
#include <initializer_list>

#include "common/commonprocs.h"
#include "engine/EngineEntry.h"
#include "engine/SettingsTable.h"
#include "host/EffectData.h"

HYPluginResult CustomButton(int16_t, HYPluginParams* params) {
    const int64_t frameNumber = int64_t{params->renderFrame} + gMostRecentStartFrame;
    // The preview's fetches count from the block's startFrame, which need not
    // be the clip start the frame number counts from; its position slider
    // runs from the frame shown to the clip's last, not past it.
    const int64_t firstFrameIndex = frameNumber - params->startFrame;
    const int64_t framesLeft = int64_t{gMostRecentFrameCount} - params->renderFrame;
    for (int64_t n : {frameNumber, firstFrameIndex})
        if (n < INT32_MIN || n > INT32_MAX) return kPluginBadParams;
    const MediaFormatRec& format = MediaFormat(GetMediaFormat(gEngineData));
    const Rect size = {0, 0, format.height, format.width};
    const HYProcs* procs = params->procs;
    GWorldPtr frame = nullptr;
    int16_t volume = 0;
    void* cookie = nullptr;
    procs->GetFrame(params->instance, static_cast<int32_t>(frameNumber), &frame, size.right,
                    size.bottom, kDVHighQuality, &volume, &cookie);

    // A host that has no frame to give still gets its dialog, on black:
    // the settings can be edited without a picture.
    GWorldPtr black = nullptr;
    if (!frame) {
        black = AllocateRectGWorld(size);
        if (black) ClearGW(black, RGBColor{0, 0, 0});
    }
    OSErr err = memFullErr;
    if (frame || black)
        err = ConfigurePlugIn(gEngineData, frame ? frame : black, params,
                              static_cast<int32_t>(firstFrameIndex),
                              static_cast<int32_t>(std::clamp<int64_t>(framesLeft, 0, INT32_MAX)));
    procs->ReleaseFrame(params->instance, cookie);
    if (black) DisposeGWorld(black);
    return err == memFullErr ? kPluginOutOfMemory : kPluginOK;
}
