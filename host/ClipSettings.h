// The settings a host that keeps each clip's settings hands the plug-in for
// a request (the GetClipSettings slot of the procedure table).
#ifndef HZ_HOST_CLIPSETTINGS_H
#define HZ_HOST_CLIPSETTINGS_H

#include "host/HYPlugin.h"
#include "record/PluginData.h"

// Writes the host's settings for this request into `settings`. kPluginOK
// both when it did and when the host has none to give (settings untouched);
// the host's failure, or kPluginBadParams for a block that cannot be read.
HYPluginResult TakeClipSettings(const HYPluginParams* params, PluginDataPtr settings);

// Whether the host hands out settings of its own at this request.
bool HostKeepsClipSettings(const HYPluginParams* params);

#endif
