#include "apps/media/YuvMatrix.h"

#include <cmath>

namespace media {

namespace {

constexpr double cOne = 1 << 16;

int32_t Fixed(double x) { return static_cast<int32_t>(std::lround(x * cOne)); }

}  // namespace

bool MakeYuvMatrix(AVColorSpace matrix, bool fullRange, YuvMatrix* out) {
    double kr, kb;
    switch (matrix) {
        case AVCOL_SPC_BT709:
            kr = 0.2126, kb = 0.0722;
            break;
        case AVCOL_SPC_BT470BG:
        case AVCOL_SPC_SMPTE170M:
            kr = 0.299, kb = 0.114;
            break;
        case AVCOL_SPC_BT2020_NCL:
            kr = 0.2627, kb = 0.0593;
            break;
        default:
            return false;
    }
    const double kg = 1 - kr - kb;
    const double yRange = fullRange ? 255 : 219, cRange = fullRange ? 255 : 224;
    const double ys = yRange / 255, cs = cRange / 255;
    YuvMatrix& m = *out;
    m.yOffset = fullRange ? 0 : 16;
    const auto toRgb = [](double x) { return static_cast<int32_t>(std::lround(x * (1 << 14))); };
    m.yScale = toRgb(1 / ys);
    m.vToR = toRgb(2 * (1 - kr) / cs / 8);
    m.uToB = toRgb(2 * (1 - kb) / cs / 8);
    m.uToG = toRgb(2 * (1 - kb) * kb / kg / cs / 8);
    m.vToG = toRgb(2 * (1 - kr) * kr / kg / cs / 8);
    // Each row of terms sums exactly to what white and grey need, so grey
    // stays grey and white stays at the top of the range.
    m.yFromR = Fixed(kr * ys);
    m.yFromB = Fixed(kb * ys);
    m.yFromG = Fixed(ys) - m.yFromR - m.yFromB;
    m.uFromR = -Fixed(kr / (2 * (1 - kb)) * cs);
    m.uFromG = -Fixed(kg / (2 * (1 - kb)) * cs);
    m.uFromB = -(m.uFromR + m.uFromG);
    m.vFromG = -Fixed(kg / (2 * (1 - kr)) * cs);
    m.vFromB = -Fixed(kb / (2 * (1 - kr)) * cs);
    m.vFromR = -(m.vFromG + m.vFromB);
    return true;
}

}  // namespace media
