// How a clip's pictures are turned for showing. Phones store what they film
// the way the sensor lies and tag the stream with a display matrix that
// players apply; the effect is to work on the picture as it is shown, so
// that its settings mean what the user sees. Quarter turns and mirrors are
// applied exactly, pixel for pixel; any other matrix is left to players.
#ifndef HZ_APPS_MEDIA_ORIENTATION_H
#define HZ_APPS_MEDIA_ORIENTATION_H

#include <cstdint>
#include <optional>
#include <string>

#include "apps/media/LibAv.h"

namespace media {

// Shown pixel (x, y) is stored pixel (p, q): without `transpose` p = x and
// q = y, with it p = y and q = x; then `mirrorP` counts p from the right
// edge and `mirrorQ` counts q from the bottom.
struct Orientation {
    bool transpose = false;
    bool mirrorP = false;
    bool mirrorQ = false;
    bool upright() const { return !transpose && !mirrorP && !mirrorQ; }
    // In words, as a player would do it: "turned 90° clockwise".
    std::string Words() const;
};

// The orientation a display matrix (AV_PKT_DATA_DISPLAYMATRIX, nine 32-bit
// values) asks for; nullopt for one that is not quarter turns and mirrors.
std::optional<Orientation> OrientationOf(const int32_t matrix[9]);
// The display matrix of a video stream, or nullptr.
const int32_t* DisplayMatrixOf(const AVStream* stream);

// Writes the stored picture `from` (width x height, bytes A, R, G, B) into
// `to` as shown: height x width when transposed.
void Orient(const uint8_t* from, int fromStride, int width, int height, Orientation o, uint8_t* to,
            int toStride);

}  // namespace media

#endif
