// The effect's settings record, as the preferences file and the hosts'
// clip settings store it; what each setting means and its limits are in
// SettingsTable.h.
#ifndef HZ_RECORD_PLUGINDATA_H
#define HZ_RECORD_PLUGINDATA_H

#include "platform/quartz/CoreGraphics.h"
#include "platform/quickdraw/QuickDraw.h"
#include "platform/types/MacTypes.h"
#include "record/RelRect.h"

enum { cNumSliders = 6, cNumColors = 6 };

// Arrays are indexed from 0 here; slider n of the user's view is sliders[n - 1].
struct PluginDataRec {
    RelRect startRel;
    RelRect endRel;
    int16_t sliders[cNumSliders];
    RGBColor colors[cNumColors];
    RGBColor frameStartColor;
    RGBColor frameEndColor;
    int16_t mediaType;
    CGImageRef theOriginalImage;
    CGImageRef theRendered;
    Boolean keepProps;
};
typedef PluginDataRec* PluginDataPtr;

// Which slider moves what (slider n is sliders[n - 1]).
enum {
    cTurnSlider = 1,
    cMoveXSlider = 2,
    cScaleSlider = 4,
    cMoveYSlider = 5,
    cBackgroundColor = 1
};

enum { kMediaNTSC = 1, kMediaPAL = 2, kMediaHD = 3 };

// What the settings mean, for everything that shows or edits them.

// The turn slider's angle: 0.4 degree a step, counter-clockwise for positive
// steps.
inline constexpr double TurnDegrees(int16_t steps) { return steps * 20 / 50.0; }
// How far the move and enlargement sliders reach on a rectangle whose
// longer side is longerSide: a share of it, whole pixels toward zero.
inline constexpr int32_t SliderPixels(int32_t longerSide, int16_t value) {
    return longerSide * value / 100;
}

#endif
