// What the configuration dialog works on while it is open: the settings
// being edited, the clip's frames and the dialog's controls. The engine
// fills it when the dialog is asked for.
#ifndef HZ_ENGINE_CONFIGWORKSPACE_H
#define HZ_ENGINE_CONFIGWORKSPACE_H

#include "platform/quickdraw/QuickDraw.h"
#include "record/PluginData.h"

enum { cUsedNumberOfRects = 1, cHandleSize = 6, cUseDisposeGWInSlider = 1 };

struct PluginWorkspace {
    PluginDataPtr theConfig;
    void* iMovieParams;
    GrafPtr sourceClip;
    GrafPtr theFXClip;
    int32_t currFrameIndex;
    int32_t minFrameIndex;
    int32_t maxFrameIndex;
    int16_t activeRel;
    ControlRef theFrameCtrl;
    ControlRef sliders[cNumSliders];
    ControlRef clipSlider;
    ControlRef colors[cNumColors];
    WindowPtr theWindow;
};

extern PluginWorkspace gConfigWorkspace;
extern PluginDataPtr gTheConfig;

#endif
