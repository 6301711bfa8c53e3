// Every setting a user can make, described once, and the video formats the
// dialog works in. The dialog's slider ranges, the record's defaults and the
// command line's options, help, completion and settings files are all made
// from these two tables, so a limit changed here changes them together.
#ifndef HZ_RECORD_SETTINGSTABLE_H
#define HZ_RECORD_SETTINGSTABLE_H

#include <algorithm>
#include <cstdint>

#include "record/PluginData.h"

// A cSubStep is the part of the turn finer than the slider's step: no
// control shows it, hosts that turn frame by frame set it.
enum class SettingKind : uint8_t { cSlider, cColor, cRectangle, cChoice, cOnOff, cSubStep };

// Where a setting lives in PluginDataRec; `index` counts sliders and colours
// from 1, as the dialog's controls do.
enum class SettingPlace : uint8_t {
    cSliders,
    cColors,
    cStartRel,
    cFrameStartColor,
    cMediaType,
    cKeepProps
};

// What a slider's number measures, and so how it reads to a person.
enum class SettingUnit : uint8_t {
    cNone,
    cTurnSteps,   // steps of TurnDegrees(1), shown in degrees and steps
    cShiftShare,  // moves the picture by a percentage of the framing's longer side
    cGrowShare,   // grows each side by a percentage of the framing's longer side
    cFraction     // rectangle edges as fractions of the frame
};

// minimum, maximum and defaultValue are a slider's steps (a sub-step's
// hundredths of a step), a colour's packed 0xRRGGBB, a choice's mediaType
// and an on/off's 0 or 1. A rectangle's edges run from minimum to maximum,
// and its default is all of that.
// `more` and `less` say what a positive and a negative value do, or on and
// off.
struct SettingDescRec {
    const char* name;
    const char* label;
    SettingKind kind;
    SettingPlace place;
    int16_t index;
    SettingUnit unit;
    int32_t minimum, maximum, defaultValue;
    const char* more;
    const char* less;
    const char* help;
};

// In the order hzfix lists them; settings files rely on the names.
inline constexpr SettingDescRec cSettingDescs[] = {
    {"framing", "Framing", SettingKind::cRectangle, SettingPlace::cStartRel, 0,
     SettingUnit::cFraction, 0, 1, 0, nullptr, nullptr,
     "framing rectangle as fractions of the frame (0,1,0,1: all of it)"},
    {"turn", "Turn", SettingKind::cSlider, SettingPlace::cSliders, cTurnSlider,
     SettingUnit::cTurnSteps, -225, 225, 0, "counter-clockwise", "clockwise",
     "turn counter-clockwise (clockwise if <0): STEPS of 0.4 degree, or DEGdeg"},
    {"move-x", "Move sideways", SettingKind::cSlider, SettingPlace::cSliders, cMoveXSlider,
     SettingUnit::cShiftShare, -100, 100, 0, "right", "left",
     "move right by N% of the framing rectangle's longer side (left if <0)"},
    {"scale", "Enlarge", SettingKind::cSlider, SettingPlace::cSliders, cScaleSlider,
     SettingUnit::cGrowShare, -25, 100, 0, "grows", "shrinks",
     "grow each side by N% of the framing rectangle's longer side (shrink if <0)"},
    {"move-y", "Move up and down", SettingKind::cSlider, SettingPlace::cSliders, cMoveYSlider,
     SettingUnit::cShiftShare, -100, 100, 0, "down", "up",
     "move down by N% of the framing rectangle's longer side (up if <0)"},
    {"background", "Background colour", SettingKind::cColor, SettingPlace::cColors,
     cBackgroundColor, SettingUnit::cNone, 0, 0xFFFFFF, 0x000000, nullptr, nullptr,
     "colour where the picture does not reach"},
    {"frame-color", "Framing rectangle colour", SettingKind::cColor, SettingPlace::cFrameStartColor,
     0, SettingUnit::cNone, 0, 0xFFFFFF, 0xFF0000, nullptr, nullptr,
     "colour of the framing rectangle in the dialog"},
    {"format", "Video format", SettingKind::cChoice, SettingPlace::cMediaType, 0,
     SettingUnit::cNone, kMediaNTSC, kMediaHD, kMediaNTSC, nullptr, nullptr,
     "the frame size the dialog works at"},
    {"keep-proportions", "Keep proportions", SettingKind::cOnOff, SettingPlace::cKeepProps, 0,
     SettingUnit::cNone, 0, 1, 0,
     "dragging holds the framing rectangle's proportions to a picture, when there is one",
     "the framing rectangle is dragged freely",
     "hold the framing rectangle's proportions while it is dragged"},
    {"uniform-scale", "Enlarge evenly", SettingKind::cOnOff, SettingPlace::cSliders,
     cUniformScaleSlot, SettingUnit::cNone, 0, 1, 0,
     "the enlargement grows the picture by the same factor both ways, keeping its proportions",
     "the enlargement grows each side by the same pixels",
     "enlarge by the same factor both ways, so circles stay round"},
    {"turn-fine", "Turn, finer than a step", SettingKind::cSubStep, SettingPlace::cSliders,
     cTurnFineSlot, SettingUnit::cNone, -50, 50, 0, "counter-clockwise", "clockwise",
     "add N hundredths of a step to the turn (clockwise if <0); --turn sets it back to 0"},
};

struct MediaFormatRec {
    int16_t mediaType;
    const char* name;        // as hzfix spells it
    const char* label;       // as the dialog's menu shows it
    const char* windowName;  // the dialog's layout for it
    int16_t width, height;
};

// In the order of the dialog's menu, whose item n is mediaType n.
inline constexpr MediaFormatRec cMediaFormats[] = {
    {kMediaNTSC, "ntsc", "NTSC", "configNTSC", 720, 480},
    {kMediaPAL, "pal", "PAL", "configPAL", 720, 576},
    {kMediaHD, "hd", "HD", "configHD", 960, 540},
};

// The format of a mediaType; a value no format has (a block from elsewhere)
// is shown and opened as the first.
inline constexpr const MediaFormatRec& MediaFormat(int16_t mediaType) {
    for (const MediaFormatRec& f : cMediaFormats)
        if (f.mediaType == mediaType) return f;
    return cMediaFormats[0];
}

// The description of slider n, or nullptr for a slider no setting uses (or
// a slot of the sliders that holds an on/off).
inline constexpr const SettingDescRec* SliderDesc(int16_t theSlider) {
    for (const SettingDescRec& d : cSettingDescs)
        if (d.place == SettingPlace::cSliders && d.kind == SettingKind::cSlider &&
            d.index == theSlider)
            return &d;
    return nullptr;
}

// A stored value held to the setting's limits, as the dialog shows it.
inline constexpr int16_t ClampToDesc(const SettingDescRec& d, int32_t value) {
    return static_cast<int16_t>(std::clamp(value, d.minimum, d.maximum));
}

inline constexpr RGBColor PackedToRGB(int32_t packed) {
    return {static_cast<uint16_t>((packed >> 16 & 0xFF) * 257),
            static_cast<uint16_t>((packed >> 8 & 0xFF) * 257),
            static_cast<uint16_t>((packed & 0xFF) * 257)};
}

namespace settingstable {

constexpr PluginDataRec FactorySettings() {
    PluginDataRec c{};
    for (const SettingDescRec& d : cSettingDescs) {
        switch (d.place) {
            case SettingPlace::cSliders:
                c.sliders[d.index - 1] = static_cast<int16_t>(d.defaultValue);
                break;
            case SettingPlace::cColors:
                c.colors[d.index - 1] = PackedToRGB(d.defaultValue);
                break;
            case SettingPlace::cStartRel:
                c.startRel = {static_cast<double>(d.minimum), static_cast<double>(d.maximum),
                              static_cast<double>(d.minimum), static_cast<double>(d.maximum)};
                break;
            case SettingPlace::cFrameStartColor:
                c.frameStartColor = PackedToRGB(d.defaultValue);
                break;
            case SettingPlace::cMediaType:
                c.mediaType = static_cast<int16_t>(d.defaultValue);
                break;
            case SettingPlace::cKeepProps:
                c.keepProps = d.defaultValue != 0;
                break;
        }
    }
    c.endRel = c.startRel;
    return c;
}

struct ColorUseRec {
    int used[cNumColors];
};

constexpr ColorUseRec ColorUse() {
    ColorUseRec u{};
    for (const SettingDescRec& d : cSettingDescs)
        if (d.place == SettingPlace::cColors) u.used[d.index - 1] = 1;
    return u;
}

}  // namespace settingstable

// The factory settings: every setting at its default, the second framing
// rectangle the whole frame, no picture.
inline constexpr PluginDataRec cDefaultSettings = settingstable::FactorySettings();

// Which of the six colour boxes the dialog shows: those a setting uses. The
// sliders it shows are those SliderDesc describes.
inline constexpr settingstable::ColorUseRec cColorUse = settingstable::ColorUse();
inline constexpr const int (&cUsesColor)[cNumColors] = cColorUse.used;

#endif
