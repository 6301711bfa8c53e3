#include "apps/editors/EditorFiles.h"

#include "apps/editors/DescriptionParts.h"

namespace hzeditors {

using hzfrei0r::ParamKind;
using hzfrei0r::ParamRec;

namespace {

std::vector<ParamRec> OfferedParams(std::span<const SettingDescRec> table) {
    std::vector<ParamRec> offered;
    for (ParamRec& p : hzfrei0r::ParamsOf(table))
        if (Offered(p)) offered.push_back(std::move(p));
    return offered;
}

}  // namespace

ShownRangeRec ShownRange(const ParamRec& param) {
    if (!param.setting) return {100, 0, 0, 100, 0, 0, "%"};
    const SettingDescRec& d = *param.setting;
    // A turn reads in degrees, a share in percent, as in the dialog.
    const double unit = d.unit == SettingUnit::cTurnSteps ? TurnDegrees(1) : 1;
    const int decimals = d.unit == SettingUnit::cTurnSteps ? 1 : 0;
    const char* suffix = d.unit == SettingUnit::cTurnSteps ? "°"
                         : d.unit == SettingUnit::cShiftShare || d.unit == SettingUnit::cGrowShare
                             ? "%"
                             : "";
    return {(d.maximum - d.minimum) * unit,
            d.minimum * unit,
            d.minimum * unit,
            d.maximum * unit,
            hzfrei0r::ToUnit(d, d.defaultValue),
            decimals,
            suffix};
}

bool Offered(const ParamRec& param) {
    return !param.setting || param.setting->place != SettingPlace::cKeepProps;
}

std::vector<EditorFileRec> EditorFiles(std::span<const SettingDescRec> table) {
    const std::vector<ParamRec> params = OfferedParams(table);
    return {{"kdenlive/frei0r_horizonfix.xml", KdenliveEffect(params)},
            {"shotcut/horizonfix/meta.qml", ShotcutMeta(params)},
            {"shotcut/horizonfix/ui.qml", ShotcutUi(params)},
            {"shotcut/horizonfix/vui.qml", ShotcutVui(params)}};
}

}  // namespace hzeditors
