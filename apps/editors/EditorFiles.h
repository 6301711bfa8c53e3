// The effect's descriptions for the two MLT editors, made from the settings
// table through the frei0r parameters, so the editors show the limits,
// defaults and units the command line and the dialog use.
#ifndef HZ_APPS_EDITORS_EDITORFILES_H
#define HZ_APPS_EDITORS_EDITORFILES_H

#include <span>
#include <string>
#include <vector>

#include "apps/frei0r/Frei0rParams.h"

namespace hzeditors {

// A double parameter as an editor shows it: shown = value * factor + offset,
// from minimum to maximum with `decimals` decimals.
struct ShownRangeRec {
    double factor, offset;
    double minimum, maximum;
    double defaultValue;  // the parameter's own 0..1
    int decimals;
    const char* suffix;
};

// For a slider's parameter or mix; a framing edge is shown in pixels of the
// frame instead, which only the editor knows.
ShownRangeRec ShownRange(const hzfrei0r::ParamRec& param);

// Whether an editor offers the parameter: keep-proportions only steers the
// dialog's drags, which no editor has.
bool Offered(const hzfrei0r::ParamRec& param);

struct EditorFileRec {
    std::string path;  // under the output folder
    std::string text;
};

// Kdenlive's effect description (kdenlive/frei0r_horizonfix.xml) and
// Shotcut's filter folder (shotcut/horizonfix/{meta,ui,vui}.qml); the same
// table always gives the same bytes.
std::vector<EditorFileRec> EditorFiles(std::span<const SettingDescRec> table);

}  // namespace hzeditors

#endif
