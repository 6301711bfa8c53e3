#include "host/iMovieGlue.h"

#include <algorithm>
#include <cmath>

#include "common/commonprocs.h"
#include "engine/EngineEntry.h"
#include "host/ClipSettings.h"
#include "host/EffectData.h"

namespace {

constexpr int32_t cMixWholeFrame = 256;

HYRefDVQuality QualityFor(const HYPluginParams* params, int32_t h) {
    return params->proxyOnly && h <= kHYLowQualityMaxHeight ? kDVLowQuality : kDVHighQuality;
}

HYPluginResult BufferError(QDErr err) {
    return err == memFullErr ? kPluginOutOfMemory : kPluginFailed;
}

// A buffer of its own holding the unprocessed frame; nil if none can be made.
GWorldPtr CopyOfFrame(GWorldPtr source, const Rect& r) {
    GWorldPtr copy = nullptr;
    if (NewGWorld(&copy, 32, &r, nullptr, nullptr, 0) != noErr) return nullptr;
    LockedPixels lockCopy(copy), lockSource(source);
    CopyBits(GetPortBitMapForCopyBits(source), GetPortBitMapForCopyBits(copy), &r, &r, srcCopy,
             nullptr);
    return copy;
}

}  // namespace

bool FadeOpacity(int32_t renderFrame, int32_t frameCount, int32_t fadeInFrames,
                 int32_t fadeOutFrames, int16_t* opacity) {
    if (fadeInFrames <= 0 && fadeOutFrames == 0) return false;
    // Wide arithmetic: a host's frame numbers may be anywhere in 32 bits.
    const int64_t frame = renderFrame, count = frameCount;
    double p;
    if (frame < fadeInFrames) {
        p = static_cast<double>(frame) / fadeInFrames;
    } else if (fadeOutFrames > 0 && frame > count - fadeOutFrames) {
        p = static_cast<double>(count - frame) / fadeOutFrames;
    } else {
        return false;
    }
    // Frame numbers outside the clip would give opacities outside 0..255.
    *opacity = static_cast<int16_t>(std::clamp(std::trunc(255.0 * (1.0 - p)), 0.0, 255.0));
    return true;
}

HYPluginResult EffectDrive(int16_t, HYPluginParams* params) {
    auto* effect = static_cast<EffectData*>(params->clientData);
    if (!effect) return kPluginBadParams;
    // A begin that ran out of memory left the clip without settings.
    if (!effect->engineData) return kPluginOutOfMemory;
    const int32_t w = params->frameRect.right - params->frameRect.left;
    const int32_t h = params->frameRect.bottom - params->frameRect.top;
    // Nowhere to draw: refuse before asking the host for anything.
    if (!params->frame || w <= 0 || h <= 0) return kPluginBadParams;
    // A host that keeps the clip's settings may change them from frame to
    // frame (keyframes).
    const HYPluginResult taken = TakeClipSettings(params, effect->engineData);
    if (taken != kPluginOK) return taken;

    SavedGWorld saved;
    SetGWorld(params->frame, nullptr);
    const int64_t absoluteFrame = int64_t{params->startFrame} + params->renderFrame;
    gMostRecentStartFrame = params->startFrame;
    gMostRecentFrameCount = params->frameCount;
    if (absoluteFrame < 0) return kPluginOK;
    if (absoluteFrame > INT32_MAX) return kPluginBadParams;

    const HYProcs* procs = params->procs;
    GWorldPtr source = nullptr;
    int16_t volume = 0;
    void* cookie = nullptr;
    HYPluginResult result = procs->GetFrame(
        params->instance, static_cast<int32_t>(absoluteFrame), &source, static_cast<int16_t>(w),
        static_cast<int16_t>(h), QualityFor(params, h), &volume, &cookie);
    // A host that answers OK without a frame has not delivered it.
    if (result == kPluginOK && !source) result = kPluginCantGetNeededFrame;

    GWorldPtr fadeGW = nullptr;
    bool fadeBufferFailed = false;
    if (result == kPluginOK) {
        Rect r = params->frameRect;
        OffsetRect(&r, static_cast<int16_t>(-r.left), static_cast<int16_t>(-r.top));
        int16_t opacity = 0;
        const bool fading = FadeOpacity(params->renderFrame, params->frameCount,
                                        effect->fadeInFrames, effect->fadeOutFrames, &opacity);
        if (fading) {
            // Rendering only reads the fetched frame, so unless it shares
            // memory with what is drawn it is still unprocessed for Blit.
            if (!PixelsMayOverlap(source, params->frame, params->frameRect))
                fadeGW = MakeGWorldView(source, r);
            if (!fadeGW) fadeGW = CopyOfFrame(source, r);
            if (!fadeGW) {
                fadeBufferFailed = true;
                result = kPluginFailed;
            }
        }
        if (result == kPluginOK) {
            result = ApplyEffect(source, params);
            if (fadeGW) {
                Rect sourceBounds;
                GetPortBounds(source, &sourceBounds);
                result = procs->Blit(*GetGWorldPixMap(fadeGW), *GetGWorldPixMap(params->frame),
                                     &sourceBounds, &params->frameRect, opacity);
            }
            if (result == kPluginOK && !params->proxyOnly)
                result = procs->MixAudio(params->instance, cookie, cMixWholeFrame);
        }
    }

    const HYPluginResult released = procs->ReleaseFrame(params->instance, cookie);
    if (result == kPluginOK || (fadeBufferFailed && released != kPluginOK)) result = released;
    if (fadeGW) DisposeGWorld(fadeGW);
    return result;
}

HYPluginResult ApplyEffect(GWorldPtr sourceFrame, HYPluginParams* params) {
    auto* effect = static_cast<EffectData*>(params->clientData);
    Rect r;
    GetPortBounds(sourceFrame, &r);
    OffsetRect(&r, static_cast<int16_t>(-r.left), static_cast<int16_t>(-r.top));
    // When the frame arrived at the size of frameRect and frameRect lies in
    // the host's buffer, the working buffer is that part of the host's
    // buffer itself, which saves a frame-sized copy; otherwise it is a
    // buffer of its own, copied (and scaled) into place. A host may hand
    // back its destination as the source: drawing there would clear the
    // picture before it is cut out.
    const Rect& frameRect = params->frameRect;
    const bool sameSize =
        frameRect.right - frameRect.left == r.right && frameRect.bottom - frameRect.top == r.bottom;
    const bool separate = !PixelsMayOverlap(sourceFrame, params->frame, frameRect);
    GWorldPtr inPlace = sameSize && separate ? MakeGWorldView(params->frame, frameRect) : nullptr;
    QDErr err = noErr;
    if (inPlace) {
        effect->effectGWorld = inPlace;
    } else {
        err = NewGWorld(&effect->effectGWorld, 32, &r, nullptr, nullptr, 0);
    }
    if (err == noErr) {
        err = ApplyLineArtEffect(sourceFrame, effect->effectGWorld, params);
        if (err == noErr && !inPlace) {
            LockedPixels lockWork(effect->effectGWorld), lockFrame(params->frame);
            CopyBits(GetPortBitMapForCopyBits(effect->effectGWorld),
                     GetPortBitMapForCopyBits(params->frame), &r, &frameRect, srcCopy, nullptr);
        }
        DisposeGWorld(effect->effectGWorld);
    }
    effect->effectGWorld = nullptr;
    if (err != noErr) return BufferError(err);
    return kPluginOK;
}

OSErr ApplyLineArtEffect(GWorldPtr sourceFrame, GWorldPtr targetFrame, HYPluginParams* params) {
    SavedGWorld saved;
    SetGWorld(targetFrame, nullptr);
    auto* effect = static_cast<EffectData*>(params->clientData);
    LockedPixels lockSource(sourceFrame), lockTarget(targetFrame);
    return DoEffect(effect->engineData, params, sourceFrame, targetFrame, params->renderFrame,
                    params->frameCount);
}

// The host owns a frame it hands out until ReleaseFrame, and disposes of it
// there: the plug-in copies the pixels and gives the frame back, whatever
// disposeAfterUse asks, so no buffer is freed twice.
int16_t GetFrameIntoGW(GWorldPtr theGW, HYPluginParams* params, int32_t frameIndex, int16_t) {
    Rect target;
    GetPortBounds(theGW, &target);
    const int32_t w = target.right - target.left;
    const int32_t h = target.bottom - target.top;
    const int64_t absoluteFrame = int64_t{frameIndex} + params->startFrame;
    if (absoluteFrame < 0) return -1;
    if (absoluteFrame > INT32_MAX) return kPluginBadParams;
    GWorldPtr clip = nullptr;
    int16_t volume = 0;
    void* cookie = nullptr;
    int16_t answer = params->procs->GetFrame(
        params->instance, static_cast<int32_t>(absoluteFrame), &clip, static_cast<int16_t>(w),
        static_cast<int16_t>(h), QualityFor(params, h), &volume, &cookie);
    if (clip) {
        Rect clipBounds;
        GetPortBounds(clip, &clipBounds);
        LockedPixels lockClip(clip), lockTarget(theGW);
        CopyBits(GetPortBitMapForCopyBits(clip), GetPortBitMapForCopyBits(theGW), &clipBounds,
                 &target, srcCopy, nullptr);
    }
    // A fetch answered without a frame still holds the host's record of it.
    if (clip || cookie) {
        const int16_t released = params->procs->ReleaseFrame(params->instance, cookie);
        if (clip) answer = released;
    }
    if (answer == kPluginOK && !clip) answer = kPluginCantGetNeededFrame;
    return answer;
}
