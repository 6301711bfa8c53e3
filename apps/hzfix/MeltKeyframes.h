// Turns that change from frame to frame as MLT keyframes for the frei0r
// filter's turn parameter ("0=0.508889;37=0.513333"), so an editor built on
// melt turns a clip as hzfix render --turn follow would.
#ifndef HZ_APPS_HZFIX_MELTKEYFRAMES_H
#define HZ_APPS_HZFIX_MELTKEYFRAMES_H

#include <cstdint>
#include <string>
#include <vector>

namespace hzfix {

// How far, in hundredths of a step, MLT's straight line between two
// keyframes may pass from a frame's turn before that frame needs one.
inline constexpr int32_t cKeyframeSlack = 2;

// turns[i] is frame first + i's, in hundredths of a step. The first and
// last frames always have a keyframe, the others only where the line
// between their neighbours misses them by more than cKeyframeSlack.
std::string MeltTurnKeyframes(int64_t first, const std::vector<int32_t>& turns);

}  // namespace hzfix

#endif
