// The per-clip record kept in the block's clientData, the process-wide
// state of the entry layer, and its handlers.
#ifndef HZ_HOST_EFFECTDATA_H
#define HZ_HOST_EFFECTDATA_H

#include "host/HYPlugin.h"
#include "record/PluginData.h"

struct EffectData {
    int32_t frameCount;
    int32_t effectSourceCount;
    float sliderValues[kHYFilterSliderCount];
    int32_t fadeInFrames;
    int32_t fadeOutFrames;
    GWorldPtr effectGWorld;
    PluginDataPtr engineData;
};

extern Boolean gEngineInited;
extern PluginDataPtr gEngineData;
extern int32_t gMostRecentStartFrame;
extern int32_t gMostRecentFrameCount;

HYPluginResult EffectGetInfo(int16_t which, HYPluginParams* params);
void SetFilterParamInfo(int16_t which, HYPluginParams* params);
HYPluginResult EffectBegin(int16_t which, HYPluginParams* params);
HYPluginResult EffectDrive(int16_t which, HYPluginParams* params);
HYPluginResult EffectEnd(int16_t which, HYPluginParams* params);
HYPluginResult MakeEffectPlaceHolder(int16_t which, HYPluginParams* params);
// kPluginOK once the dialog has closed with OK, kPluginCancel with Cancel;
// kPluginOutOfMemory when it could not open for want of memory.
HYPluginResult CustomButton(int16_t which, HYPluginParams* params);

// Opens the bundle's own string lists once, as a host would on loading it.
void OpenBundleResources();
void CloseBundleResources();

#endif
