#include "apps/media/Orientation.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace media {

std::string Orientation::Words() const {
    // A mirror after a turn: a transposition is a quarter turn mirrored.
    const int clockwise = transpose ? (mirrorP ? 270 : 90) : (mirrorQ ? 180 : 0);
    const bool mirrored = transpose ? mirrorP == mirrorQ : mirrorP != mirrorQ;
    std::string words;
    if (clockwise == 90) words = "turned 90° clockwise";
    if (clockwise == 180) words = "turned 180°";
    if (clockwise == 270) words = "turned 90° counter-clockwise";
    if (mirrored) words += words.empty() ? "mirrored" : " and mirrored";
    return words.empty() ? "upright" : words;
}

std::optional<Orientation> OrientationOf(const int32_t matrix[9]) {
    // Shown x = a p + c q and shown y = b p + d q for stored (p, q), in
    // 16.16 fixed point; the translation only puts the picture in place.
    const int64_t a = matrix[0], b = matrix[1], c = matrix[3], d = matrix[4];
    const int64_t scale = std::max({std::llabs(a), std::llabs(b), std::llabs(c), std::llabs(d)});
    if (scale == 0 || matrix[2] != 0 || matrix[5] != 0) return std::nullopt;
    auto none = [&](int64_t v) { return std::llabs(v) * 1000 < scale; };
    auto full = [&](int64_t v) { return std::llabs(std::llabs(v) - scale) * 1000 < scale; };
    Orientation o;
    if (none(b) && none(c) && full(a) && full(d)) {
        o.mirrorP = a < 0;
        o.mirrorQ = d < 0;
    } else if (none(a) && none(d) && full(b) && full(c)) {
        o.transpose = true;
        o.mirrorQ = c < 0;
        o.mirrorP = b < 0;
    } else {
        return std::nullopt;
    }
    return o;
}

const int32_t* DisplayMatrixOf(const AVStream* stream) {
    size_t size = 0;
    const uint8_t* data = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    return data && size >= 9 * sizeof(int32_t) ? reinterpret_cast<const int32_t*>(data) : nullptr;
}

void Orient(const uint8_t* from, int fromStride, int width, int height, Orientation o, uint8_t* to,
            int toStride) {
    const int shownWidth = o.transpose ? height : width;
    const int shownHeight = o.transpose ? width : height;
    // Along a shown row either p or q moves, one pixel a step.
    const ptrdiff_t alongP = o.mirrorP ? -4 : 4;
    const ptrdiff_t alongQ = o.mirrorQ ? -static_cast<ptrdiff_t>(fromStride) : fromStride;
    const ptrdiff_t step = o.transpose ? alongQ : alongP;
    const ptrdiff_t nextRow = o.transpose ? alongP : alongQ;
    const uint8_t* first = from +
                           (o.mirrorQ ? static_cast<ptrdiff_t>(height - 1) * fromStride : 0) +
                           (o.mirrorP ? static_cast<ptrdiff_t>(width - 1) * 4 : 0);
    for (int y = 0; y < shownHeight; ++y) {
        const uint8_t* s = first + y * nextRow;
        uint8_t* t = to + static_cast<ptrdiff_t>(y) * toStride;
        for (int x = 0; x < shownWidth; ++x, s += step, t += 4) std::memcpy(t, s, 4);
    }
}

}  // namespace media
