// What the two editors' descriptions share: the effect's names, how a
// parameter is labelled, explained and defaulted, and text escaping.
#ifndef HZ_APPS_EDITORS_DESCRIPTIONPARTS_H
#define HZ_APPS_EDITORS_DESCRIPTIONPARTS_H

#include <string>
#include <vector>

#include "apps/editors/EditorFiles.h"

namespace hzeditors {

inline constexpr const char* cService = "frei0r.horizonfix";
inline constexpr const char* cTitle = "Horizon Fix";
inline constexpr const char* cDescription =
    "Straightens and re-frames video: turns, enlarges and moves the picture";

std::string Num(double v);
std::string Xml(const std::string& s);
std::string Qs(const std::string& s);  // a single-quoted QML string

bool IsEdge(const hzfrei0r::ParamRec& p);
bool IsShownDouble(const hzfrei0r::ParamRec& p);
std::string Label(const hzfrei0r::ParamRec& p);
std::string Comment(const hzfrei0r::ParamRec& p);
double EdgeDefault(const hzfrei0r::ParamRec& p);
std::string ColorDefault(const SettingDescRec& d);

std::string KdenliveEffect(const std::vector<hzfrei0r::ParamRec>& params);
std::string ShotcutMeta(const std::vector<hzfrei0r::ParamRec>& params);
std::string ShotcutUi(const std::vector<hzfrei0r::ParamRec>& params);
std::string ShotcutVui(const std::vector<hzfrei0r::ParamRec>& params);

}  // namespace hzeditors

#endif
