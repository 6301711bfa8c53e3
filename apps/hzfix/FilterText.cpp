#include "apps/hzfix/FilterText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "apps/frei0r/Frei0rParams.h"

namespace hzfix {

namespace {

using hzfrei0r::ParamKind;
using hzfrei0r::ParamRec;

// The shortest text that reads back as the same double, so a slider lands
// on the very step it was on.
std::string Number(double v) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    return std::string(text, end);
}

double Value(const ParamRec& param, const PluginDataRec& settings, double rgb[3]) {
    hzfrei0r::ParamValuesRec values;
    values.settings = settings;
    hzfrei0r::GetParam(param, values, rgb);
    return rgb[0];
}

// Mix stays at the effect: it is for a host's fades, not a setting.
bool IsSetting(const ParamRec& param) { return param.setting != nullptr; }

}  // namespace

std::string FfmpegFilterText(const PluginDataRec& settings) {
    std::string text = "frei0r=horizonfix:";
    const char* separator = "";
    // Every value up to the last setting, mix too: ffmpeg counts places.
    size_t last = 0;
    const std::vector<ParamRec>& params = hzfrei0r::Params();
    for (size_t i = 0; i < params.size(); ++i)
        if (IsSetting(params[i])) last = i;
    for (size_t i = 0; i <= last; ++i) {
        const ParamRec& param = params[i];
        double rgb[3] = {};
        const double v = Value(param, settings, rgb);
        text += separator;
        separator = "|";
        switch (param.kind) {
            case ParamKind::kBool:
                text += v >= 0.5 ? "y" : "n";
                break;
            case ParamKind::kDouble:
                text += Number(v);
                break;
            case ParamKind::kColor:
                text += Number(rgb[0]) + "/" + Number(rgb[1]) + "/" + Number(rgb[2]);
                break;
        }
    }
    return text;
}

std::string MeltFilterText(const PluginDataRec& settings) {
    std::string text = "-filter frei0r.horizonfix";
    for (const ParamRec& param : hzfrei0r::Params()) {
        if (!IsSetting(param)) continue;
        double rgb[3] = {};
        const double v = Value(param, settings, rgb);
        text += " " + param.name + "=";
        switch (param.kind) {
            case ParamKind::kBool:
                text += v >= 0.5 ? "1" : "0";
                break;
            case ParamKind::kDouble:
                text += Number(v);
                break;
            case ParamKind::kColor: {
                // MLT reads colours as 8-bit #rrggbb.
                char hex[8];
                std::snprintf(hex, sizeof hex, "#%02x%02x%02x",
                              static_cast<unsigned>(std::lround(rgb[0] * 255)),
                              static_cast<unsigned>(std::lround(rgb[1] * 255)),
                              static_cast<unsigned>(std::lround(rgb[2] * 255)));
                text += hex;
                break;
            }
        }
    }
    return text;
}

}  // namespace hzfix
