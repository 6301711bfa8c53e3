// The effect's settings as frei0r parameters: every slider mapped linearly
// from its range onto 0..1 (its default onto the image of its default), the
// framing edges as the fractions they are, the background colour,
// keep-proportions, and mix (0: the effect, 1: the untouched frame), which
// editors keyframe for fades since no frei0r host says where a clip ends.
#ifndef HZ_APPS_FREI0R_FREI0RPARAMS_H
#define HZ_APPS_FREI0R_FREI0RPARAMS_H

#include <string>
#include <vector>

#include "engine/PluginData.h"

namespace hzfrei0r {

struct ParamValuesRec {
    PluginDataRec settings = cDefaultSettings;
    double mix = 0;
};

enum class ParamKind { kBool, kDouble, kColor };
enum class ParamTarget { kSlider, kFramingEdge, kBackground, kKeepProportions, kMix };

struct ParamRec {
    std::string name;
    ParamKind kind;
    std::string explanation;
    ParamTarget target;
    int index = 0;         // the slider (1-based) or the framing edge (left, right, top, bottom)
    int min = 0, max = 0;  // a slider's range
};

const std::vector<ParamRec>& Params();

// A parameter's value as frei0r hands it out: one double, or three for a
// colour.
void GetParam(const ParamRec& param, const ParamValuesRec& values, double* out);
// Sets it from what a host passed: values outside 0..1 are taken as their
// nearest end, NaN leaves the parameter as it was.
void SetParam(const ParamRec& param, const double* in, ParamValuesRec* values);

}  // namespace hzfrei0r

#endif
