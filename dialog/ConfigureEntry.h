// The configuration dialog as the custom button runs it.
#ifndef HZ_DIALOG_CONFIGUREENTRY_H
#define HZ_DIALOG_CONFIGUREENTRY_H

#include "dialog/ConfigWorkspace.h"

// Runs the dialog on the master record with theGW as the frame at position
// shownFrameIndex of the numberOfFrames from firstFrameIndex; its position
// slider fetches the others with fetchFrame, and its Level command measures
// the frame shown with measureTilt (nil: the command is disabled).
// userCanceledErr when the user cancelled it, memFullErr when the preview
// buffer cannot be made (and nothing shown), resNotFound when the bundle's
// window layout is damaged.
OSErr ConfigurePlugIn(void* theData, GWorldPtr theGW, HYPluginParams* params,
                      int32_t firstFrameIndex, int32_t numberOfFrames, int32_t shownFrameIndex,
                      GetFrameIntoGWProcPtr fetchFrame, MeasureTiltProcPtr measureTilt);

#endif
