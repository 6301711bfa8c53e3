#include "apps/media/ShownPictures.h"

#include <utility>

namespace media {

PictureShape ShapeOf(const InputFile& in, bool keepRotation) {
    PictureShape shape;
    shape.format = in.video();
    shape.storedWidth = in.video().width;
    shape.storedHeight = in.video().height;
    shape.fields = IsInterlaced(in.video().fieldOrder) && in.video().height >= cFieldCount;
    const int32_t* matrix = DisplayMatrixOf(in.videoStream());
    shape.hasRotation = matrix != nullptr;
    if (!matrix || keepRotation || shape.fields) return shape;
    if (auto o = OrientationOf(matrix)) shape.orientation = *o;
    if (shape.orientation.transpose) {
        std::swap(shape.format.width, shape.format.height);
        std::swap(shape.format.sampleAspect.num, shape.format.sampleAspect.den);
    }
    return shape;
}

void ShownPictures::Convert(const AVFrame* frame, int field, uint8_t* dest, int stride, bool fast) {
    const int width = shape_.storedWidth, height = shape_.storedHeight;
    const bool turned = !shape_.orientation.upright();
    const int storedStride = turned ? width * 4 : stride;
    if (turned) stored_.resize(static_cast<size_t>(storedStride) * height);
    uint8_t* stored = turned ? stored_.data() : dest;
    if (field == kWholeFrame) {
        whole_.Convert(frame, stored, storedStride, width, height, fast);
    } else {
        const FramePtr rows = FieldOf(frame, field);
        fields_[field].Convert(rows.get(), stored + static_cast<ptrdiff_t>(field) * storedStride,
                               storedStride * 2, width, rows->height, fast);
        FillOtherField(stored, storedStride, width, height, field);
    }
    if (turned) Orient(stored, storedStride, width, height, shape_.orientation, dest, stride);
}

void ShownPictures::ConvertScaled(const AVFrame* frame, int field, uint8_t* dest, int stride,
                                  int width, int height, bool fast) {
    if (field == kWholeFrame && shape_.orientation.upright()) {
        whole_.Convert(frame, dest, stride, width, height, fast);
        return;
    }
    const int shownStride = shape_.format.width * 4;
    shown_.resize(static_cast<size_t>(shownStride) * shape_.format.height);
    Convert(frame, field, shown_.data(), shownStride, fast);
    FramePtr shown = NewFrame();
    shown->format = AV_PIX_FMT_ARGB;
    shown->width = shape_.format.width;
    shown->height = shape_.format.height;
    shown->data[0] = shown_.data();
    shown->linesize[0] = shownStride;
    scaler_.Convert(shown.get(), dest, stride, width, height, fast);
}

}  // namespace media
