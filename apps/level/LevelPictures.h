// Pictures that show a person why a tilt was found: the lines on the frame
// they came from, and the tilt of every sampled frame over the clip.
#ifndef HZ_APPS_LEVEL_LEVELPICTURES_H
#define HZ_APPS_LEVEL_LEVELPICTURES_H

#include <cstdint>
#include <vector>

#include "apps/level/TiltSampler.h"

namespace level {

struct ArgbPicture {
    int width = 0, height = 0;
    std::vector<uint8_t> argb;  // rows of width * 4 bytes A, R, G, B
};

// The frame shown, with the lines used in green, those that lean otherwise
// in orange, the diagonals in grey and the frame's own edges in magenta, and
// the answer written in its top left corner.
ArgbPicture DrawLinesFound(const ClipLevelRec& measured);

// Each sampled frame's tilt over the clip's time (filled: reliable,
// hollow: not), the clip's tilt as a line across; `seconds` is the length
// of the stretch measured, from `from`.
ArgbPicture PlotTilts(const ClipLevelRec& measured, double from, double seconds);

}  // namespace level

#endif
