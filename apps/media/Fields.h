// Interlaced video holds two pictures a frame, taken a field period apart,
// on alternate rows. For the effect to keep them apart, each field is given
// to it as a picture of its own at the frame's full height (its rows where
// they are, the rows between made from them), so the geometry is that of a
// whole frame, and only that field's rows of the result are kept.
#ifndef HZ_APPS_MEDIA_FIELDS_H
#define HZ_APPS_MEDIA_FIELDS_H

#include <cstdint>

#include "apps/media/LibAv.h"

namespace media {

// Field 0 is the top one (the frame's first row), 1 the bottom one.
constexpr int cFieldCount = 2;

// Whether pictures of this order are two fields each.
bool IsInterlaced(AVFieldOrder order);

// The rows of `field` of a decoded frame, as a frame of its own that
// shares the pictures' memory: its chroma rows are that field's too.
FramePtr FieldOf(const AVFrame* frame, int field);

// In a picture of bytes A, R, G, B whose rows of `field` are filled, makes
// every other row from the rows of `field` above and below it.
void FillOtherField(uint8_t* argb, int stride, int width, int height, int field);

// Copies the rows of `field` from one such picture into another.
void CopyField(const uint8_t* from, int fromStride, uint8_t* to, int toStride, int width,
               int height, int field);

}  // namespace media

#endif
