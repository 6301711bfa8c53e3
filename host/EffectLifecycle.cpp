#include <algorithm>
#include <iterator>

#include "engine/EngineEntry.h"
#include "host/ClipSettings.h"
#include "host/EffectData.h"

namespace {

// Fades longer than the clip are cut: both share the clip when both are
// set. A fade is only ever shortened, and a negative one counts as none.
void LimitFades(EffectData* effect, int32_t frameCount) {
    int32_t& in = effect->fadeInFrames;
    int32_t& out = effect->fadeOutFrames;
    in = std::max(in, 0);
    out = std::max(out, 0);
    const int32_t limit = (in != 0 && out != 0) ? frameCount / 2 : frameCount;
    in = std::max(std::min(in, limit), 0);
    out = std::max(std::min(out, limit), 0);
}

void ReleaseSettingsCopy(EffectData* effect, const HYProcs* procs) {
    if (!effect->engineData) return;
    pUncopyConfig(effect->engineData);
    procs->DisposePtr(reinterpret_cast<Ptr>(effect->engineData));
    effect->engineData = nullptr;
}

}  // namespace

HYPluginResult EffectBegin(int16_t, HYPluginParams* params) {
    const HYProcs* procs = params->procs;
    auto* effect = static_cast<EffectData*>(params->clientData);
    if (!effect) {
        effect = reinterpret_cast<EffectData*>(procs->NewPtrClear(sizeof(EffectData)));
        if (!effect) return kPluginOutOfMemory;
        params->clientData = effect;
    }
    // A second begin on the same record must not leak the first copy.
    ReleaseSettingsCopy(effect, procs);

    uint32_t size = 0;
    pGetConfigSize(&size);
    effect->engineData =
        reinterpret_cast<PluginDataPtr>(procs->NewPtrClear(static_cast<int32_t>(size)));
    // Frames rendered without settings would stop the process: say so now.
    if (!effect->engineData) return kPluginOutOfMemory;
    pCopyConfig(gEngineData, effect->engineData);
    const HYPluginResult taken = TakeClipSettings(params, effect->engineData);
    if (taken != kPluginOK) return taken;
    effect->effectSourceCount = 1;

    // Without a filter record (a failed or odd host) the clip keeps no fades.
    HYPluginFilterInfo* filterInfo = nullptr;
    const HYPluginResult result = procs->GetFilterInfo(params->instance, &filterInfo);
    effect->fadeInFrames = 0;
    effect->fadeOutFrames = 0;
    if (result == kPluginOK && filterInfo) {
        effect->fadeInFrames = filterInfo->fadeInFrames;
        effect->fadeOutFrames = filterInfo->fadeOutFrames;
        std::copy(std::begin(filterInfo->sliderValues), std::end(filterInfo->sliderValues),
                  std::begin(effect->sliderValues));
    }
    if (filterInfo) procs->ReleaseFilterInfo(params->instance, filterInfo);

    LimitFades(effect, params->frameCount);
    effect->effectGWorld = nullptr;
    return result;
}

HYPluginResult EffectEnd(int16_t, HYPluginParams* params) {
    auto* effect = static_cast<EffectData*>(params->clientData);
    if (!effect) return kPluginOK;
    if (effect->effectGWorld) {
        DisposeGWorld(effect->effectGWorld);
        effect->effectGWorld = nullptr;
    }
    ReleaseSettingsCopy(effect, params->procs);
    params->procs->DisposePtr(reinterpret_cast<Ptr>(effect));
    params->clientData = nullptr;
    return kPluginOK;
}
