// The two ways the engine reaches the layers above it: the preview fetches
// further frames from the host, and the configuration entry runs the dialog.
// The host-entry layer installs both before its first request, so the engine
// links neither the host nor the dialog.
#ifndef HZ_ENGINE_ENGINEHOOKS_H
#define HZ_ENGINE_ENGINEHOOKS_H

#include "record/PluginData.h"

struct _PluginParams;
typedef struct _PluginParams HYPluginParams;

// The host's answer to the fetch, or -1 for a frame before the clip.
typedef int16_t (*GetFrameIntoGWProcPtr)(GWorldPtr theGW, HYPluginParams* params,
                                         int32_t frameIndex, int16_t disposeAfterUse);

struct EngineHooksRec {
    GetFrameIntoGWProcPtr GetFrameIntoGW;
    // Makes the dialog's custom control classes known: colour box, clip
    // control, picture box, in that order.
    void (*RegisterControls)();
    // Runs the dialog modally on the workspace that ConfigurePlugIn filled;
    // userCanceledErr when the user cancelled it.
    OSErr (*DoConfig)(PluginDataPtr theConfig);
    // Removes them again: clip control, colour box, picture box.
    void (*UnregisterControls)();
};

void InstallEngineHooks(const EngineHooksRec& hooks);
// Every member is set: a hook that was not installed answers as a host with
// no frames and a plug-in with no dialog would.
const EngineHooksRec& EngineHooks();

#endif
