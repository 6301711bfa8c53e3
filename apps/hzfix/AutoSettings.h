// `auto` for the turn and the enlargement of a run: the turn that levels
// the clip's horizon, measured from its pictures, and the least enlargement
// that hides the corners the turn uncovers, from the renderer's geometry.
#ifndef HZ_APPS_HZFIX_AUTOSETTINGS_H
#define HZ_APPS_HZFIX_AUTOSETTINGS_H

#include <cstdint>
#include <string>
#include <vector>

#include "apps/hzfix/Cli.h"
#include "apps/hzfix/RunSettings.h"
#include "apps/level/TiltSampler.h"
#include "apps/media/InputFile.h"
#include "apps/media/ShownPictures.h"

namespace hzfix {

// The setting options, the turn's and the enlargement's taking auto too.
const std::vector<OptionSpec>& AutoSettingOptions();

// Whether d's option says auto (follow); if so it is taken out of `args`.
bool TakeAuto(ParsedArgs* args, const SettingDescRec& d);
bool TakeFollow(ParsedArgs* args, const SettingDescRec& d);

// LevelSettings, with the enlargement's note (empty without `hideCorners`).
std::string Level(PluginDataRec* settings, int width, int height, double tiltDegrees,
                  bool hideCorners);

// Sets the enlargement that hides the corners; returns its note.
std::string HideCorners(PluginDataRec* settings, int width, int height);

// Measures frames first..last of `in` where run->autoTurn or
// run->followTurn asks, then sets the turn (or each frame's) and the
// enlargement that were asked for, with notes naming the values found. No
// reliable horizon is an InputError: a run never guesses.
void ResolveAutoSettings(RunSettingsRec* run, media::InputFile& in,
                         const media::PictureShape& shape, int64_t first, int64_t last);

}  // namespace hzfix

#endif
