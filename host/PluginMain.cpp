// The bundle's single entry point.
#include "engine/EngineEntry.h"
#include "host/ClipSettings.h"
#include "host/EffectData.h"
#include "host/iMovieGlue.h"
#include "platform/alertsqt/AlertsQt.h"
#include "platform/memory/MacMemory.h"

namespace {

// The host procedures a request calls; a block missing one of them is
// refused before anything is done with it.
bool HasProcsFor(const HYPluginParams* params) {
    const HYProcs* procs = params->procs;
    if (!procs || !procs->NewPtrClear || !procs->DisposePtr) return false;
    const bool begins =
        params->selector == kPlugInitialize || params->selector == kPlugFilePlaceHolder;
    const bool renders =
        params->selector == kPlugDoFrame || params->selector == kPlugFilePlaceHolder;
    const bool fetches = renders || params->selector == kPlugCustomButtonClick;
    if (begins && (!procs->GetFilterInfo || !procs->ReleaseFilterInfo)) return false;
    if (fetches && (!procs->GetFrame || !procs->ReleaseFrame)) return false;
    if (renders && (!procs->Blit || !procs->MixAudio)) return false;
    return true;
}

// The master settings and the bundle's own resources live as long as the
// plug-in is loaded. Hosts allocate with this platform's memory blocks, so
// the settings block can be given back here though no host call is under way.
__attribute__((destructor)) void UnloadPlugIn() {
    CloseBundleResources();
    if (!gEngineData) return;
    pUncopyConfig(gEngineData);
    DisposePtr(reinterpret_cast<Ptr>(gEngineData));
    gEngineData = nullptr;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int main(int which, HYPluginParams* params) {
    if (!params) return kPluginBadParams;
    if (params->interfaceVersion < kHYMinimumInterfaceVersion) return kPluginAppIsTooOld;
    if (!HasProcsFor(params)) return kPluginBadParams;

    if (!gEngineInited) {
        InitEngine();
        // Windows for the alerts whenever the dialog runs; text otherwise.
        InstallQtAlertPresenter();
        OpenBundleResources();
        gEngineInited = true;
    }
    if (!gEngineData) {
        uint32_t size = 0;
        pGetConfigSize(&size);
        gEngineData =
            reinterpret_cast<PluginDataPtr>(params->procs->NewPtrClear(static_cast<int32_t>(size)));
        // The next request tries again; ending the host is no answer to a
        // host that is short of memory.
        if (!gEngineData) return kPluginOutOfMemory;
        // A host that keeps every clip's settings keeps them in place of the
        // preferences file, which such a process must not touch.
        if (HostKeepsClipSettings(params))
            InitMyPlugInFromDefaults(gEngineData);
        else
            InitMyPlugIn(gEngineData);
    }

    const auto selector = static_cast<int16_t>(which);
    switch (params->selector) {
        case kPlugGetInfo:
            return EffectGetInfo(selector, params);
        case kPlugInitialize:
            return EffectBegin(selector, params);
        case kPlugFilePlaceHolder:
            return MakeEffectPlaceHolder(selector, params);
        case kPlugDoFrame:
            return EffectDrive(selector, params);
        case kPlugTerminate:
            return EffectEnd(selector, params);
        case kPlugCustomButtonClick:
            return CustomButton(selector, params);
        default:
            return kPluginOK;
    }
}
