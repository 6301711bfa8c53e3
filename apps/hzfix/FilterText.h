// The settings as the frei0r hosts take them, so a setting found with
// `hzfix preview` moves into ffmpeg, melt and the editors unchanged.
#ifndef HZ_APPS_HZFIX_FILTERTEXT_H
#define HZ_APPS_HZFIX_FILTERTEXT_H

#include <string>

#include "record/PluginData.h"

namespace hzfix {

// ffmpeg's -vf filter: every value in the plug-in's own order, since
// ffmpeg takes them by position alone.
std::string FfmpegFilterText(const PluginDataRec& settings);
// melt's -filter arguments: the filter, then name=value for each setting.
std::string MeltFilterText(const PluginDataRec& settings);

}  // namespace hzfix

#endif
