// --turn follow: every frame of a run turned by its own horizon's tilt,
// measured frame by frame and smoothed, with one enlargement for the whole
// run that hides the corners at every turn it takes.
#ifndef HZ_APPS_HZFIX_FOLLOWTURN_H
#define HZ_APPS_HZFIX_FOLLOWTURN_H

#include <cstdint>
#include <string>
#include <vector>

#include "apps/hzfix/RunSettings.h"
#include "apps/level/TiltFollower.h"
#include "apps/media/InputFile.h"
#include "apps/media/ShownPictures.h"

namespace hzfix {

// The turns, in hundredths of a step, that level frames tilted by
// `tiltDegrees` as the settings draw them; with `hideCorners`, also sets the
// least enlargement that hides the corners at all of them (each depends on
// the other, so the two are found together). Returns the enlargement's note.
std::string FollowTilts(PluginDataRec* settings, int width, int height,
                        const std::vector<double>& tiltDegrees, bool hideCorners,
                        std::vector<int32_t>* turns);

// The tilt of every frame of first..last, measured and smoothed. A
// stretch without a reliable horizon is an InputError that starts with
// `what` (the option that asked).
level::FollowedTiltRec FollowClip(media::InputFile& in, const media::PictureShape& shape,
                                  int64_t first, int64_t last, const std::string& what);
// "118 of 125 frames": on how many of the frames measured the horizon was
// found.
std::string ReliableCount(const level::FollowedTiltRec& followed);

// Measures every frame of first..last and sets run->turns (and, with
// run->autoScale, the enlargement), with notes on what was found. A stretch
// without a reliable horizon is an InputError.
void ResolveFollowedTurn(RunSettingsRec* run, media::InputFile& in,
                         const media::PictureShape& shape, int64_t first, int64_t last);

}  // namespace hzfix

#endif
