#include "host/EffectData.h"

Boolean gEngineInited = false;
PluginDataPtr gEngineData = nullptr;
int32_t gMostRecentStartFrame = 0;
int32_t gMostRecentFrameCount = 0;
