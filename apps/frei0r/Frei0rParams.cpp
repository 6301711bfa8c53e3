#include "apps/frei0r/Frei0rParams.h"

#include <algorithm>
#include <cmath>

namespace hzfrei0r {

namespace {

template <typename R>
auto Edge(R& r, int index) {
    decltype(&r.left) edges[] = {&r.left, &r.right, &r.top, &r.bottom};
    return edges[index];
}

// NaN keeps what was there; anything else lands in 0..1.
bool Unit(double in, double* out) {
    if (std::isnan(in)) return false;
    *out = std::clamp(in, 0.0, 1.0);
    return true;
}

}  // namespace

const std::vector<ParamRec>& Params() {
    static const std::vector<ParamRec> params = [] {
        using K = ParamKind;
        using T = ParamTarget;
        return std::vector<ParamRec>{
            {"turn", K::kDouble, "turn, counter-clockwise, in 0.4 degree steps from -225 to 225",
             T::kSlider, cTurnSlider, -225, 225},
            {"scale", K::kDouble, "enlargement from -25 to 100", T::kSlider, cScaleSlider, -25,
             100},
            {"move-x", K::kDouble, "move right, from -100 to 100", T::kSlider, cMoveXSlider, -100,
             100},
            {"move-y", K::kDouble, "move down, from -100 to 100", T::kSlider, cMoveYSlider, -100,
             100},
            {"framing-left", K::kDouble, "left edge of the part kept, as a share of the width",
             T::kFramingEdge, 0},
            {"framing-right", K::kDouble, "right edge of the part kept", T::kFramingEdge, 1},
            {"framing-top", K::kDouble, "top edge of the part kept, as a share of the height",
             T::kFramingEdge, 2},
            {"framing-bottom", K::kDouble, "bottom edge of the part kept", T::kFramingEdge, 3},
            {"background", K::kColor, "colour outside the picture", T::kBackground},
            {"keep-proportions", K::kBool, "keep the framing's proportions", T::kKeepProportions},
            {"mix", K::kDouble, "0: the effect, 1: the untouched frame", T::kMix},
        };
    }();
    return params;
}

void GetParam(const ParamRec& param, const ParamValuesRec& values, double* out) {
    const PluginDataRec& s = values.settings;
    switch (param.target) {
        case ParamTarget::kSlider:
            *out = static_cast<double>(s.sliders[param.index - 1] - param.min) /
                   (param.max - param.min);
            return;
        case ParamTarget::kFramingEdge:
            *out = *Edge(s.startRel, param.index);
            return;
        case ParamTarget::kBackground: {
            const RGBColor& c = s.colors[cBackgroundColor - 1];
            out[0] = c.red / 65535.0;
            out[1] = c.green / 65535.0;
            out[2] = c.blue / 65535.0;
            return;
        }
        case ParamTarget::kKeepProportions:
            *out = s.keepProps ? 1 : 0;
            return;
        case ParamTarget::kMix:
            *out = values.mix;
            return;
    }
}

void SetParam(const ParamRec& param, const double* in, ParamValuesRec* values) {
    PluginDataRec& s = values->settings;
    double v = 0;
    switch (param.target) {
        case ParamTarget::kSlider:
            if (Unit(*in, &v))
                s.sliders[param.index - 1] =
                    static_cast<int16_t>(std::lround(param.min + v * (param.max - param.min)));
            return;
        case ParamTarget::kFramingEdge:
            if (Unit(*in, &v)) *Edge(s.startRel, param.index) = v;
            return;
        case ParamTarget::kBackground: {
            RGBColor& c = s.colors[cBackgroundColor - 1];
            uint16_t* channels[] = {&c.red, &c.green, &c.blue};
            for (int i = 0; i < 3; ++i)
                if (Unit(in[i], &v)) *channels[i] = static_cast<uint16_t>(std::lround(v * 65535));
            return;
        }
        case ParamTarget::kKeepProportions:
            if (Unit(*in, &v)) s.keepProps = v >= 0.5;
            return;
        case ParamTarget::kMix:
            if (Unit(*in, &v)) values->mix = v;
            return;
    }
}

}  // namespace hzfrei0r
