#include "dialog/ConfigWorkspace.h"

#include "common/commonprocs.h"
#include "engine/callpixelfx.h"

PluginWorkspace gConfigWorkspace;

RelRect GetCurrentRel() { return gConfigWorkspace.theConfig->startRel; }

void PutCurrentRel(RelRect theRel) { gConfigWorkspace.theConfig->startRel = theRel; }

OSErr CallPixelEffect(GrafPtr source, GrafPtr dest) {
    Assert(gConfigWorkspace.theConfig, "Nil theConfig on CallPixelEffect");
    return DoPixelEffect(source, dest, gConfigWorkspace.theConfig, gConfigWorkspace.currFrameIndex,
                         gConfigWorkspace.maxFrameIndex);
}
