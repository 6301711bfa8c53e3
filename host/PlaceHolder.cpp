#include "common/commonprocs.h"
#include "host/EffectData.h"

// The placeholder runs a whole clip cycle on a copy of the block, with a
// per-clip record of its own: the host's clientData may hold a live clip
// that must survive.
HYPluginResult MakeEffectPlaceHolder(int16_t which, HYPluginParams* params) {
    SavedGWorld saved;
    SetGWorld(params->frame, nullptr);

    HYPluginParams copy = *params;
    copy.renderFrame = params->getInfo.bestThumbOffset;
    copy.clientData = nullptr;
    copy.selector = kPlugInitialize;
    const HYPluginResult result = EffectBegin(which, &copy);
    if (result == kPluginOK) {
        copy.selector = kPlugDoFrame;
        EffectDrive(which, &copy);
    }
    // A begin that failed after making its record still needs the end.
    if (copy.clientData) {
        copy.selector = kPlugTerminate;
        EffectEnd(which, &copy);
    }
    return result;
}
