#include "engine/DataHandling.h"

#include "common/commonprocs.h"
#include "persistence/prefsloader.h"
#include "persistence/prefslock.h"
#include "record/SettingsTable.h"

void InitPluginData(PluginDataPtr theConfig) {
    Assert(theConfig, "Nil theConfig on InitPluginData");
    ResetConfig(theConfig, true);
    // Saved back in the form this version writes; a change saved meanwhile by
    // another program must not be undone by writing what was read before it.
    const PrefsLockRec lock;
    ReadConfig(theConfig);
    SaveConfig(theConfig);
}

// frameEndColor is left alone on purpose: a reset keeps the second frame colour.
void ResetConfig(PluginDataPtr theConfig, Boolean fullInit) {
    const PluginDataRec kept = *theConfig;
    *theConfig = cDefaultSettings;
    theConfig->frameEndColor = kept.frameEndColor;
    if (!fullInit) {
        theConfig->theOriginalImage = kept.theOriginalImage;
        theConfig->theRendered = kept.theRendered;
    }
}
