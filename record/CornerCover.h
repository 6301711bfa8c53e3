// The enlargement that hides the corners a turn uncovers, from the
// renderer's own geometry: the framing rectangle cut in whole pixels, grown
// and moved by whole pixels of its longer side, turned about the centre of
// where it is drawn.
#ifndef HZ_RECORD_CORNERCOVER_H
#define HZ_RECORD_CORNERCOVER_H

#include <optional>

#include "record/PluginData.h"

// Whether the picture drawn with `settings` covers all it covers unturned:
// the whole width x height frame with the whole frame kept, the framing
// rectangle's part of the frame otherwise.
bool CoversFrame(const PluginDataRec& settings, int width, int height);

// The smallest enlargement slider value for which it does, with every other
// setting as given; none when even the largest leaves a corner uncovered.
std::optional<int16_t> CornerHidingScale(const PluginDataRec& settings, int width, int height);

// Sets the enlargement CornerHidingScale finds, the largest where none hides
// the corners.
void SetCornerHidingScale(PluginDataRec* settings, int width, int height);

// Sets the turn, in whole steps, that levels a line leaning `tiltDegrees`
// (clockwise positive) on width x height frames, as the picture is drawn
// with the settings' enlargement; with `hideCorners`, also the enlargement
// that hides the corners, the two found together since each changes the
// other.
void LevelSettings(PluginDataRec* settings, int width, int height, double tiltDegrees,
                   bool hideCorners);

// Unless it is uniform, the enlargement grows each side by the same pixels,
// so a picture whose framing is not square is stretched more one way than
// the other, and a tilted line leans differently once drawn: the lean, in
// degrees, of a line leaning `tiltDegrees` in the source, as drawn before
// the turn.
double DrawnTilt(const PluginDataRec& settings, int width, int height, double tiltDegrees);

#endif
