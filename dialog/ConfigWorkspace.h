// What the configuration dialog works on while it is open: the settings
// being edited, the clip's frames, the way to fetch more of them, and the
// dialog's controls. ConfigurePlugIn fills it.
#ifndef HZ_DIALOG_CONFIGWORKSPACE_H
#define HZ_DIALOG_CONFIGWORKSPACE_H

#include "platform/quickdraw/QuickDraw.h"
#include "record/PluginData.h"

// The host's block passes through the dialog untouched.
struct _PluginParams;
typedef struct _PluginParams HYPluginParams;

// Fetches frame frameIndex of the clip into theGW: the host's answer, or -1
// for a frame before the clip.
typedef int16_t (*GetFrameIntoGWProcPtr)(GWorldPtr theGW, HYPluginParams* params,
                                         int32_t frameIndex, int16_t disposeAfterUse);

// How far the horizon of a picture leans, as the host measured it.
struct MeasuredTiltRec {
    bool reliable;
    double tiltDegrees;  // clockwise positive on screen: the turn that levels it
    double confidence;   // 0..1
};

// Measures the tilt of theGW's picture: false when it could not be measured.
typedef bool (*MeasureTiltProcPtr)(GWorldPtr theGW, HYPluginParams* params, MeasuredTiltRec* tilt);

enum { cUsedNumberOfRects = 1, cHandleSize = 6, cUseDisposeGWInSlider = 1 };

struct PluginWorkspace {
    PluginDataPtr theConfig;
    void* iMovieParams;
    GetFrameIntoGWProcPtr fetchFrame;
    // Nil when the host does not measure tilts: the dialog cannot level.
    MeasureTiltProcPtr measureTilt;
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

// The framing rectangle the dialog edits: with one in use, always the start
// rectangle.
RelRect GetCurrentRel();
void PutCurrentRel(RelRect theRel);
// The preview: source drawn into dest with the workspace's settings at its
// position in the clip; memFullErr when memory is short.
OSErr CallPixelEffect(GrafPtr source, GrafPtr dest);

#endif
