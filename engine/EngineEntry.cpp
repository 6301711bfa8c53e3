#include "engine/EngineEntry.h"

#include <cstring>

#include "common/commonprocs.h"
#include "engine/DataHandling.h"
#include "engine/callpixelfx.h"
#include "platform/memory/MacMemory.h"

// Nothing to prepare once per process in this effect.
void InitEngine() {}

void InitMyPlugIn(void* theData) {
    Assert(theData, "Unable to allocate new data structure");
    InitPluginData(static_cast<PluginDataPtr>(theData));
}

void InitMyPlugInFromDefaults(void* theData) {
    Assert(theData, "Unable to allocate new data structure");
    ResetConfig(static_cast<PluginDataPtr>(theData), true);
}

void pGetConfigSize(uint32_t* theSize) { *theSize = sizeof(PluginDataRec); }

void pCopyConfig(void* source, void* dest) {
    if (!source || !dest) return;
    if (GetPtrSize(static_cast<Ptr>(source)) != GetPtrSize(static_cast<Ptr>(dest)))
        Terminate("Non-Matching Blocks", "The Size of Source and Dest do not match");
    auto* from = static_cast<PluginDataPtr>(source);
    auto* to = static_cast<PluginDataPtr>(dest);
    std::memcpy(to, from, sizeof(PluginDataRec));
    if (from->theRendered) to->theRendered = CGImageCreateCopy(from->theRendered);
    to->theOriginalImage = nullptr;
}

void pUncopyConfig(void* theData) {
    Assert(theData, "Nil data in pUncopyConfig");
    auto* config = static_cast<PluginDataPtr>(theData);
    if (config->theRendered) CGImageRelease(config->theRendered);
}

int16_t GetMediaFormat(const void* theData) {
    if (!theData) return kMediaNTSC;
    return static_cast<const PluginDataRec*>(theData)->mediaType;
}

void SetMediaFormat(void* theData, int16_t mediaType) {
    Assert(theData, "Nil data in SetMediaFormat");
    static_cast<PluginDataRec*>(theData)->mediaType = mediaType;
}

OSErr DoEffect(void* myConfig, HYPluginParams*, GrafPtr theSource, GrafPtr theTarget,
               int32_t currentFrameIndex, int32_t totalFrames) {
    Assert(myConfig,
           "uninited theData in Plugin Effect master proc. need to call init before calling me");
    SavedGWorld saved;
    return DoPixelEffect(theSource, theTarget, static_cast<PluginDataPtr>(myConfig),
                         currentFrameIndex, totalFrames);
}
