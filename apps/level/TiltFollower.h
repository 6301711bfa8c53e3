// A tilt for every frame of a stretch whose horizon moves (a handheld or
// action-camera clip), from tilts measured frame by frame: frames without
// a reliable horizon take their neighbours', and the rest is smoothed so
// the picture does not jitter while a sudden change stays sudden.
#ifndef HZ_APPS_LEVEL_TILTFOLLOWER_H
#define HZ_APPS_LEVEL_TILTFOLLOWER_H

#include <cstdint>
#include <vector>

#include "apps/level/ClipTilt.h"

namespace level {

// How long a stretch a wrong frame or two cannot move: the running
// median's window, in seconds.
inline constexpr double kFollowMedianSeconds = 0.5;
// Fewer reliable frames than this (or than the frames measured) leave a
// stretch without a horizon to follow.
inline constexpr int kFollowLeastReliable = 3;

struct FollowedTiltRec {
    bool reliable = false;
    // Frame first + i's tilt, clockwise positive, as FrameTiltRec has it.
    std::vector<double> tiltDegrees;
    int framesMeasured = 0, framesReliable = 0;
};

// `samples` in frame order, each frame of first..last at most once;
// frames between them are interpolated. `fps` sets the smoothing's reach
// in frames.
FollowedTiltRec FollowTilt(const std::vector<FrameSampleRec>& samples, int64_t first, int64_t last,
                           double fps);

// Over values a frame apart, those not `measured` filled in from their
// neighbours: a running median finds the steps and the frames fooled by
// something leaning, then a local parabola between the steps, through the
// measured frames only, averages the jitter away while a sway comes through
// as it is.
std::vector<double> SmoothTilts(const std::vector<double>& tilts, const std::vector<bool>& measured,
                                double fps);

}  // namespace level

#endif
