// The effect's settings as frei0r parameters: every slider mapped linearly
// from its range onto 0..1 (its default onto the image of its default), the
// framing edges as the fractions they are, the background colour,
// keep-proportions, and mix (0: the effect, 1: the untouched frame), which
// editors keyframe for fades since no frei0r host says where a clip ends.
#ifndef HZ_APPS_FREI0R_FREI0RPARAMS_H
#define HZ_APPS_FREI0R_FREI0RPARAMS_H

#include <span>
#include <string>
#include <vector>

#include "record/SettingsTable.h"

namespace hzfrei0r {

struct ParamValuesRec {
    PluginDataRec settings = cDefaultSettings;
    double mix = 0;
};

enum class ParamKind { kBool, kDouble, kColor };

// One parameter: a setting of the table (for the framing rectangle, one of
// its edges: left, right, top, bottom), or mix without one.
struct ParamRec {
    std::string name;
    ParamKind kind;
    std::string explanation;
    const SettingDescRec* setting;  // nullptr for mix
    int edge = 0;
};

// Made from the settings table: its sliders, then the framing rectangle's edges,
// the background colour and its on/off settings, then mix. What only the
// dialog uses (its frame size, the framing rectangle's colour) is left out.
const std::vector<ParamRec>& Params();
// The same for any table, for what describes the parameters to others (the
// editors' descriptions) and for tests that change a limit; the records
// point into `table`.
std::vector<ParamRec> ParamsOf(std::span<const SettingDescRec> table);

// A slider's steps, or a rectangle's edge, as the parameter's 0..1.
double ToUnit(const SettingDescRec& d, double value);

// A parameter's value as frei0r hands it out: one double, or three for a
// colour.
void GetParam(const ParamRec& param, const ParamValuesRec& values, double* out);
// Sets it from what a host passed: values outside 0..1 are taken as their
// nearest end, NaN leaves the parameter as it was.
void SetParam(const ParamRec& param, const double* in, ParamValuesRec* values);

}  // namespace hzfrei0r

#endif
