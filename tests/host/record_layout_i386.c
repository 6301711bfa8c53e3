/* Compiled with -m32 only: the host records must match the original host's
 * byte layout on 32-bit x86, where hosts and plug-ins exchange them. */
#include <stddef.h>

#include "host/HYPlugin.h"

#if !defined(__i386__)
#error "this layout check is for 32-bit x86"
#endif

_Static_assert(sizeof(FSSpec) == 70, "FSSpec");
_Static_assert(offsetof(FSSpec, parID) == 2, "FSSpec.parID");
_Static_assert(sizeof(HYPluginGetInfo) == 48, "HYPluginGetInfo");
_Static_assert(offsetof(HYPluginGetInfo, pluginFlags) == 4, "pluginFlags");
_Static_assert(offsetof(HYPluginGetInfo, mustTakeFromSingleClips) == 28, "mustTake");
_Static_assert(offsetof(HYPluginGetInfo, bestThumbOffset) == 32, "bestThumbOffset");
_Static_assert(offsetof(HYPluginGetInfo, defaultColor) == 36, "defaultColor");
_Static_assert(offsetof(HYPluginGetInfo, defaultFontSize) == 46, "defaultFontSize");
_Static_assert(sizeof(HYPluginFilterSliderInfo) == 388, "slider info");
_Static_assert(offsetof(HYPluginFilterSliderInfo, defaultValue) == 384, "defaultValue");
_Static_assert(sizeof(HY2PluginGetInfo) == 1328, "HY2PluginGetInfo");
_Static_assert(sizeof(HYPluginFileOpenInfo) == 80, "HYPluginFileOpenInfo");
_Static_assert(offsetof(HYPluginFileOpenInfo, chosenFile) == 8, "chosenFile");
_Static_assert(sizeof(HY3PluginGetInfo) == 128, "HY3PluginGetInfo");
_Static_assert(offsetof(HY3PluginGetInfo, buttonTitle) == 96, "buttonTitle");
_Static_assert(sizeof(HY4PluginGetInfo) == 388, "HY4PluginGetInfo");
_Static_assert(sizeof(HYPluginFilterInfo) == 20, "HYPluginFilterInfo");
_Static_assert(offsetof(HYPluginFilterInfo, fadeOutFrames) == 16, "fadeOutFrames");
_Static_assert(sizeof(HYRefClip) == 220, "HYRefClip");
_Static_assert(offsetof(HYRefClip, standard) == 129, "standard");
_Static_assert(offsetof(HYRefClip, frameCount) == 132, "frameCount");
_Static_assert(offsetof(HYRefClip, fileSpec) == 144, "fileSpec");
_Static_assert(offsetof(HYRefClip, absoluteStartFrame) == 216, "absoluteStartFrame");
_Static_assert(sizeof(HY2PluginClipInfo) == 12, "HY2PluginClipInfo");
_Static_assert(sizeof(HY4PluginClipInfo) == 224, "HY4PluginClipInfo");
_Static_assert(sizeof(HYPluginClipInfo) == 496, "HYPluginClipInfo");
_Static_assert(offsetof(HYPluginClipInfo, ver2) == 260, "ver2");
_Static_assert(offsetof(HYPluginClipInfo, ver4) == 272, "ver4");
_Static_assert(sizeof(HYProcs) == 128,
               "HYProcs: the original 30 slots, GetClipSettings and MeasureTilt");
_Static_assert(offsetof(HYProcs, GetFrame) == 9 * 4, "GetFrame slot 10");
_Static_assert(offsetof(HYProcs, Blit) == 16 * 4, "Blit slot 17");
_Static_assert(offsetof(HYProcs, MixAudio) == 24 * 4, "MixAudio slot 25");
_Static_assert(offsetof(HYProcs, CGStringWidth) == 29 * 4, "slot 30");
_Static_assert(offsetof(HYProcs, GetClipSettings) == 30 * 4, "extension slot 31");
_Static_assert(offsetof(HYProcs, MeasureTilt) == 31 * 4, "extension slot 32");
_Static_assert(sizeof(HYTiltRec) == 12, "HYTiltRec");
_Static_assert(offsetof(HYTiltRec, reliable) == 8, "HYTiltRec.reliable");

_Static_assert(sizeof(HYPluginParams) == 1940, "HYPluginParams");
_Static_assert(offsetof(HYPluginParams, instance) == 4, "instance");
_Static_assert(offsetof(HYPluginParams, selector) == 8, "selector");
_Static_assert(offsetof(HYPluginParams, procs) == 12, "procs");
_Static_assert(offsetof(HYPluginParams, getInfo) == 16, "getInfo");
_Static_assert(offsetof(HYPluginParams, startFrame) == 64, "startFrame");
_Static_assert(offsetof(HYPluginParams, renderFrame) == 68, "renderFrame");
_Static_assert(offsetof(HYPluginParams, frameCount) == 72, "frameCount");
_Static_assert(offsetof(HYPluginParams, proxyOnly) == 76, "proxyOnly");
_Static_assert(offsetof(HYPluginParams, frameRect) == 78, "frameRect");
_Static_assert(offsetof(HYPluginParams, frame) == 88, "frame");
_Static_assert(offsetof(HYPluginParams, clientData) == 92, "clientData");
_Static_assert(offsetof(HYPluginParams, getInfo2) == 96, "getInfo2.group");
_Static_assert(offsetof(HYPluginParams, getInfo2.filterSliders[0].defaultValue) == 608,
               "first slider default");
_Static_assert(offsetof(HYPluginParams, getInfo2.selectedFrames) == 96 + 1312, "selectedFrames");
_Static_assert(offsetof(HYPluginParams, getInfo2.baseMemoryNeeded) == 1420, "baseMemoryNeeded");
_Static_assert(offsetof(HYPluginParams, getInfo3) == 1424, "getInfo3");
_Static_assert(offsetof(HYPluginParams, getInfo3.buttonTitle) == 1520, "buttonTitle");
_Static_assert(offsetof(HYPluginParams, getInfo4) == 1552, "getInfo4");
