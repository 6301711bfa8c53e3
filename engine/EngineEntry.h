// What the host-entry layer calls to size, set up, copy and release the
// settings record and to render one frame.
#ifndef HZ_ENGINE_ENGINEENTRY_H
#define HZ_ENGINE_ENGINEENTRY_H

#include "record/PluginData.h"

// The host's block passes through the engine untouched.
struct _PluginParams;
typedef struct _PluginParams HYPluginParams;

void InitEngine();
void InitMyPlugIn(void* theData);
// The same without the preferences file: the effect's defaults.
void InitMyPlugInFromDefaults(void* theData);
void pGetConfigSize(uint32_t* theSize);
void pCopyConfig(void* source, void* dest);
void pUncopyConfig(void* theData);
int16_t GetMediaFormat(const void* theData);
void SetMediaFormat(void* theData, int16_t mediaType);
OSErr DoEffect(void* myConfig, HYPluginParams* params, GrafPtr theSource, GrafPtr theTarget,
               int32_t currentFrameIndex, int32_t totalFrames);
#endif
