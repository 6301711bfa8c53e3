#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "common/commonprocs.h"
#include "dialog/ConfigureEntry.h"
#include "engine/EngineEntry.h"
#include "host/EffectData.h"
#include "host/HostTilt.h"
#include "host/iMovieGlue.h"
#include "record/SettingsTable.h"

namespace {

Rect FormatFrame(int16_t mediaType) {
    const MediaFormatRec& f = MediaFormat(mediaType);
    return Rect{0, 0, f.height, f.width};
}

// The format whose frame has the shape nearest the movie's, so that its
// picture is not squeezed into another; the saved one unless another fits
// strictly better, and also when the host does not say.
int16_t FormatForMovie(int16_t saved, const HYProcs* procs) {
    HYRefDigitalVideoStandard standard = kRefUnknownStandard;
    int16_t width = 0, height = 0;
    int32_t frames = 0;
    if (!procs->GetMovieInfo ||
        procs->GetMovieInfo(&standard, &width, &height, &frames) != kPluginOK || width <= 0 ||
        height <= 0)
        return saved;
    const auto misfit = [&](int16_t format) {
        const MediaFormatRec& f = MediaFormat(format);
        return std::abs(std::log(static_cast<double>(width) * f.height /
                                 (static_cast<double>(height) * f.width)));
    };
    int16_t best = saved;
    for (const MediaFormatRec& format : cMediaFormats)
        if (misfit(format.mediaType) < misfit(best)) best = format.mediaType;
    return best;
}

}  // namespace

HYPluginResult CustomButton(int16_t, HYPluginParams* params) {
    const int64_t frameNumber = int64_t{params->renderFrame} + gMostRecentStartFrame;
    // The preview's fetches count from the block's startFrame, which need not
    // be the clip start the frame number counts from; its position slider
    // runs over the whole clip and starts on the frame shown.
    const int64_t clipStartIndex = int64_t{gMostRecentStartFrame} - params->startFrame;
    for (int64_t n : {frameNumber, clipStartIndex})
        if (n < INT32_MIN || n > INT32_MAX) return kPluginBadParams;
    const HYProcs* procs = params->procs;
    const int16_t saved = GetMediaFormat(gEngineData);
    const int16_t format = FormatForMovie(saved, procs);
    SetMediaFormat(gEngineData, format);
    const Rect size = FormatFrame(format);
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
                              static_cast<int32_t>(clipStartIndex), gMostRecentFrameCount,
                              params->renderFrame, GetFrameIntoGW,
                              HostMeasuresTilt(params) ? MeasureTiltThroughHost : nullptr);
    procs->ReleaseFrame(params->instance, cookie);
    if (black) DisposeGWorld(black);
    // The format the dialog opened on was only a suggestion until confirmed.
    if (err != noErr) SetMediaFormat(gEngineData, saved);
    if (err == userCanceledErr) return kPluginCancel;
    return err == memFullErr ? kPluginOutOfMemory : kPluginOK;
}
