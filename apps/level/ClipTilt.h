// One tilt for a clip from the tilts of frames sampled over it. Frames
// without a reliable horizon, and frames that disagree with the rest (a
// pan past a roof, a boat's mast), lower the confidence instead of moving
// the answer.
#ifndef HZ_APPS_LEVEL_CLIPTILT_H
#define HZ_APPS_LEVEL_CLIPTILT_H

#include <cstdint>
#include <vector>

namespace level {

struct FrameSampleRec {
    int64_t frame;
    double seconds;
    bool reliable;
    double tiltDegrees;
    double confidence;
    int linesUsed;
};

struct ClipTiltRec {
    bool reliable = false;
    double tiltDegrees = 0;
    double confidence = 0;
    int framesUsed = 0;  // reliable and agreeing
    int linesUsed = 0;   // over those frames
};

// Frames within this of the clip's tilt agree with it.
inline constexpr double kFramesAgreeDegrees = 0.3;

ClipTiltRec CombineFrames(const std::vector<FrameSampleRec>& frames);

}  // namespace level

#endif
