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

double Span(const SettingDescRec& d) { return static_cast<double>(d.maximum - d.minimum); }

std::string Explanation(const SettingDescRec& d) {
    if (d.kind != SettingKind::cSlider) return d.help;
    return std::string(d.help) + "; 0 to 1 maps " + std::to_string(d.minimum) + " to " +
           std::to_string(d.maximum);
}

}  // namespace

double ToUnit(const SettingDescRec& d, double value) { return (value - d.minimum) / Span(d); }

std::vector<ParamRec> ParamsOf(std::span<const SettingDescRec> table) {
    std::vector<ParamRec> list;
    // ffmpeg takes the values in order alone: the sliders, the most used,
    // come first.
    for (const SettingDescRec& d : table)
        if (d.kind == SettingKind::cSlider)
            list.push_back({d.name, ParamKind::kDouble, Explanation(d), &d});
    for (const SettingDescRec& d : table) {
        switch (d.kind) {
            case SettingKind::cSlider:
                break;
            case SettingKind::cRectangle: {
                const char* edges[] = {"left", "right", "top", "bottom"};
                for (int e = 0; e < 4; ++e)
                    list.push_back({std::string(d.name) + "-" + edges[e], ParamKind::kDouble,
                                    std::string(edges[e]) + " edge of the " + d.help, &d, e});
                break;
            }
            case SettingKind::cColor:
                if (d.place == SettingPlace::cColors)
                    list.push_back({d.name, ParamKind::kColor, d.help, &d});
                break;
            case SettingKind::cOnOff:
                if (d.place != SettingPlace::cSliders)
                    list.push_back({d.name, ParamKind::kBool, d.help, &d});
                break;
            case SettingKind::cChoice:
            case SettingKind::cSubStep:
                break;
        }
    }
    list.push_back({"mix", ParamKind::kDouble,
                    "0: the effect, 1: the untouched frame (for fades at a clip's ends)", nullptr});
    // Switches added since mix come after it, so values given in order keep
    // their places.
    for (const SettingDescRec& d : table)
        if (d.kind == SettingKind::cOnOff && d.place == SettingPlace::cSliders)
            list.push_back({d.name, ParamKind::kBool, d.help, &d});
    return list;
}

const std::vector<ParamRec>& Params() {
    static const std::vector<ParamRec> params = ParamsOf(cSettingDescs);
    return params;
}

void GetParam(const ParamRec& param, const ParamValuesRec& values, double* out) {
    const PluginDataRec& s = values.settings;
    if (!param.setting) {
        *out = values.mix;
        return;
    }
    const SettingDescRec& d = *param.setting;
    switch (d.place) {
        case SettingPlace::cSliders:
            *out = d.index == cTurnSlider ? ToUnit(d, TurnHundredths(s) / 100.0)
                                          : ToUnit(d, s.sliders[d.index - 1]);
            return;
        case SettingPlace::cStartRel:
            *out = ToUnit(d, *Edge(s.startRel, param.edge));
            return;
        case SettingPlace::cColors: {
            const RGBColor& c = s.colors[d.index - 1];
            out[0] = c.red / 65535.0;
            out[1] = c.green / 65535.0;
            out[2] = c.blue / 65535.0;
            return;
        }
        case SettingPlace::cKeepProps:
            *out = s.keepProps ? 1 : 0;
            return;
        case SettingPlace::cFrameStartColor:
        case SettingPlace::cMediaType:
            return;
    }
}

void SetParam(const ParamRec& param, const double* in, ParamValuesRec* values) {
    PluginDataRec& s = values->settings;
    double v = 0;
    if (!param.setting) {
        if (Unit(*in, &v)) values->mix = v;
        return;
    }
    const SettingDescRec& d = *param.setting;
    switch (d.place) {
        case SettingPlace::cSliders:
            if (!Unit(*in, &v)) return;
            // A keyframed turn comes between whole steps; the fine part
            // keeps it from jumping a step at a time.
            if (d.index == cTurnSlider)
                SetTurnHundredths(
                    &s, static_cast<int32_t>(std::lround((d.minimum + v * Span(d)) * 100)));
            else
                s.sliders[d.index - 1] = static_cast<int16_t>(std::lround(d.minimum + v * Span(d)));
            return;
        case SettingPlace::cStartRel:
            if (Unit(*in, &v)) *Edge(s.startRel, param.edge) = d.minimum + v * Span(d);
            return;
        case SettingPlace::cColors: {
            RGBColor& c = s.colors[d.index - 1];
            uint16_t* channels[] = {&c.red, &c.green, &c.blue};
            for (int i = 0; i < 3; ++i)
                if (Unit(in[i], &v)) *channels[i] = static_cast<uint16_t>(std::lround(v * 65535));
            return;
        }
        case SettingPlace::cKeepProps:
            if (Unit(*in, &v)) s.keepProps = v >= 0.5;
            return;
        case SettingPlace::cFrameStartColor:
        case SettingPlace::cMediaType:
            return;
    }
}

}  // namespace hzfrei0r
