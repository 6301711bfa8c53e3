// The pictures of a clip as the plug-in is given them: turned the way
// players show them (unless the clip is to keep its stored orientation),
// and for interlaced video one field at a time (see Fields.h).
#ifndef HZ_APPS_MEDIA_SHOWNPICTURES_H
#define HZ_APPS_MEDIA_SHOWNPICTURES_H

#include <cstdint>
#include <vector>

#include "apps/media/ArgbConverter.h"
#include "apps/media/Fields.h"
#include "apps/media/InputFile.h"
#include "apps/media/Orientation.h"

namespace media {

// Every picture of a render is made whole (kWholeFrame) or as one field.
constexpr int kWholeFrame = -1;

struct PictureShape {
    VideoFormat format;  // as the plug-in sees the pictures: size, aspect
    int storedWidth = 0, storedHeight = 0;
    Orientation orientation;   // applied to every picture
    bool fields = false;       // interlaced: each field rendered on its own
    bool hasRotation = false;  // the input carries a display matrix
    // It is not applied, and the output is to carry it over for players.
    bool keepsRotation() const { return hasRotation && orientation.upright(); }
};

// How `in`'s pictures are given to the plug-in. The display rotation is
// applied unless `keepRotation`, where it is quarter turns and mirrors, and
// where the clip is not interlaced: turned, fields would become columns.
PictureShape ShapeOf(const InputFile& in, bool keepRotation);

class ShownPictures {
  public:
    explicit ShownPictures(const PictureShape& shape) : shape_(shape) {}

    // `frame` as the shape says, at its size, into `dest`; `field` is
    // kWholeFrame or the field to make the picture from.
    void Convert(const AVFrame* frame, int field, uint8_t* dest, int stride, bool fast);
    // The same scaled to width x height.
    void ConvertScaled(const AVFrame* frame, int field, uint8_t* dest, int stride, int width,
                       int height, bool fast);

  private:
    PictureShape shape_;
    ArgbConverter whole_, scaler_;
    ArgbConverter fields_[cFieldCount];  // one each: odd heights differ
    std::vector<uint8_t> stored_, shown_;
};

}  // namespace media

#endif
