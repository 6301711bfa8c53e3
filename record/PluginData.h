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
    // Not a slider: the part of the turn finer than a step, in hundredths of
    // a step, for a host that turns each frame by its own measured amount.
    // Every block saved before it holds 0 in this slot.
    cTurnFineSlot = 3,
    cScaleSlider = 4,
    cMoveYSlider = 5,
    // Not a slider: the on/off of an even enlargement, kept in a slot of the
    // saved block that no slider uses.
    cUniformScaleSlot = 6,
    cBackgroundColor = 1
};

enum { kMediaNTSC = 1, kMediaPAL = 2, kMediaHD = 3 };

// What the settings mean, for everything that shows or edits them.

// The turn slider's angle: 0.4 degree a step, counter-clockwise for positive
// steps.
inline constexpr double TurnDegrees(int16_t steps) { return steps * 20 / 50.0; }
// The whole turn in hundredths of a step, and back: the steps the nearest
// to it, the fine part what is left (-50 to 50).
inline constexpr int32_t TurnHundredths(const PluginDataRec& c) {
    return int32_t{c.sliders[cTurnSlider - 1]} * 100 + c.sliders[cTurnFineSlot - 1];
}
inline constexpr void SetTurnHundredths(PluginDataRec* c, int32_t hundredths) {
    const int32_t steps = (hundredths >= 0 ? hundredths + 50 : hundredths - 50) / 100;
    c->sliders[cTurnSlider - 1] = static_cast<int16_t>(steps);
    c->sliders[cTurnFineSlot - 1] = static_cast<int16_t>(hundredths - steps * 100);
}
// The angle the picture is turned by. Without a fine part it is TurnDegrees
// to the last bit, so every block saved before renders as it did.
inline constexpr double TurnAngle(const PluginDataRec& c) {
    return TurnHundredths(c) * 20 / 5000.0;
}
// How far the move and enlargement sliders reach on a rectangle whose
// longer side is longerSide: a share of it, whole pixels toward zero.
inline constexpr int32_t SliderPixels(int32_t longerSide, int16_t value) {
    return longerSide * value / 100;
}

// How far the enlargement slider grows a w x h rectangle each side: by the
// same pixels both ways (a share of the longer side), or, made uniform, by
// the same factor, the shorter side's growth in proportion, whole pixels
// toward zero.
struct GrowthRec {
    int32_t x, y;
};
inline constexpr GrowthRec GrowthPixels(int32_t w, int32_t h, int16_t value, bool uniform) {
    const int32_t big = w > h ? w : h;
    const int32_t z = SliderPixels(big, value);
    if (!uniform || big <= 0) return {z, z};
    return {static_cast<int32_t>(int64_t{z} * w / big), static_cast<int32_t>(int64_t{z} * h / big)};
}
inline constexpr bool UniformScale(const PluginDataRec& c) {
    return c.sliders[cUniformScaleSlot - 1] != 0;
}

#endif
