#include "engine/DataHandling.h"

#include "common/commonprocs.h"
#include "persistence/prefsloader.h"

PluginWorkspace gConfigWorkspace;
PluginDataPtr gTheConfig = nullptr;

void InitPluginData(PluginDataPtr theConfig) {
    Assert(theConfig, "Nil theConfig on InitPluginData");
    ResetConfig(theConfig, true);
    ReadConfig(theConfig);
    SaveConfig(theConfig);
}

// frameEndColor is left alone on purpose: a reset keeps the second frame colour.
void ResetConfig(PluginDataPtr theConfig, Boolean fullInit) {
    InitRelRect(&theConfig->startRel);
    InitRelRect(&theConfig->endRel);
    for (RGBColor& c : theConfig->colors) c = RGBColor{0, 0, 0};
    for (int16_t& s : theConfig->sliders) s = 0;
    theConfig->frameStartColor = RGBColor{65535, 0, 0};
    theConfig->mediaType = kMediaNTSC;
    theConfig->keepProps = false;
    if (fullInit) {
        theConfig->theOriginalImage = nullptr;
        theConfig->theRendered = nullptr;
    }
}

// With one framing rectangle in use, the start rectangle is always the one edited.
RelRect GetCurrentRel() { return gConfigWorkspace.theConfig->startRel; }

void PutCurrentRel(RelRect theRel) { gConfigWorkspace.theConfig->startRel = theRel; }
