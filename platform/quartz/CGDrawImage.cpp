#include <algorithm>
#include <cmath>

#include "platform/quartz/QuartzDrawPath.h"
#include "platform/quartz/QuartzPrivate.h"
#include "platform/quartz/QuartzWarp.h"

namespace {

using hz::quartz::Affine;

// Both paths sample through the same 16.16 matrix, so they agree on every
// coordinate and differ only where their arithmetic does.
struct Placement {
    pixman_transform_t transform;  // box-relative pixel centre -> image
    hz::quartz::WarpMap map;       // absolute pixel -> upper-left tap
    hz::quartz::WarpBox box;
};

bool ToFixed(double value, pixman_fixed_t* out) {
    const double scaled = std::round(value * 65536.0);
    if (!(std::fabs(scaled) < 2147483647.0)) return false;
    *out = static_cast<pixman_fixed_t>(scaled);
    return true;
}

// Where pixman's affine fetch puts the first tap for box-relative pixel
// (0, 0): the centre (0.5, 0.5) through the matrix with its rounding, less
// half a pixel.
int64_t FirstTap(pixman_fixed_t perX, pixman_fixed_t perY, pixman_fixed_t offset) {
    const int64_t halfSteps = (int64_t{perX} + perY) * 0x8000 + 0x8000;
    return int64_t{offset} + (halfSteps >> 16) - 0x8000;
}

bool Place(const CGContext& context, CGRect rect, const CGImagePixels& image, Placement* out) {
    double x = rect.origin.x, y = rect.origin.y;
    double width = rect.size.width, height = rect.size.height;
    if (width < 0) x += width, width = -width;
    if (height < 0) y += height, height = -height;

    // Image pixels run down from the top of the rectangle: images stand
    // upright in the y-up user space.
    Affine imageToUser;
    imageToUser.a = width / image.width;
    imageToUser.d = -height / image.height;
    imageToUser.tx = x;
    imageToUser.ty = y + height;
    const Affine imageToPixels = hz::quartz::UserToPixels(context).After(imageToUser);
    Affine pixelsToImage;
    if (!imageToPixels.Invert(&pixelsToImage)) return false;

    // Samples reach half an image pixel past the border before fading out;
    // one more pixel of margin covers the fixed-point rounding.
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (const double u : {-0.5, image.width + 0.5}) {
        for (const double v : {-0.5, image.height + 0.5}) {
            double x, y;
            imageToPixels.Apply(u, v, &x, &y);
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
    }
    const double limitX = context.width, limitY = context.height;
    hz::quartz::WarpBox& box = out->box;
    box.x0 = static_cast<int32_t>(std::clamp(std::floor(minX) - 1, 0.0, limitX));
    box.y0 = static_cast<int32_t>(std::clamp(std::floor(minY) - 1, 0.0, limitY));
    box.x1 = static_cast<int32_t>(std::clamp(std::ceil(maxX) + 1, 0.0, limitX));
    box.y1 = static_cast<int32_t>(std::clamp(std::ceil(maxY) + 1, 0.0, limitY));
    if (box.x0 >= box.x1 || box.y0 >= box.y1) return false;

    Affine fromBox;
    fromBox.tx = box.x0;
    fromBox.ty = box.y0;
    const Affine m = pixelsToImage.After(fromBox);
    pixman_fixed_t f[6];
    if (!ToFixed(m.a, &f[0]) || !ToFixed(m.c, &f[1]) || !ToFixed(m.tx, &f[2]) ||
        !ToFixed(m.b, &f[3]) || !ToFixed(m.d, &f[4]) || !ToFixed(m.ty, &f[5])) {
        return false;
    }
    out->transform = pixman_transform_t{{{f[0], f[1], f[2]}, {f[3], f[4], f[5]}, {0, 0, 65536}}};

    hz::quartz::WarpMap& map = out->map;
    map.dudx = f[0];
    map.dudy = f[1];
    map.dvdx = f[3];
    map.dvdy = f[4];
    map.u0 = FirstTap(f[0], f[1], f[2]) - int64_t{box.x0} * f[0] - int64_t{box.y0} * f[1];
    map.v0 = FirstTap(f[3], f[4], f[5]) - int64_t{box.x0} * f[3] - int64_t{box.y0} * f[4];
    return true;
}

void DrawWithPixman(CGContextRef context, const CGImagePixels& image, const Placement& placement,
                    uint8_t alpha) {
    pixman_image_t* source = pixman_image_create_bits(
        hz::quartz::DeviceSkipFormat(image.order), image.width, image.height,
        const_cast<uint32_t*>(image.words), static_cast<int>(image.stride * 4));
    if (!source) return;
    pixman_image_set_filter(source, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_image_set_transform(source, &placement.transform);
    pixman_image_t* mask = nullptr;
    if (alpha != 255) {
        const pixman_color_t globalAlpha{0, 0, 0, static_cast<uint16_t>(alpha * 257)};
        mask = pixman_image_create_solid_fill(&globalAlpha);
    }
    const hz::quartz::WarpBox& box = placement.box;
    if (alpha == 255 || mask) {
        pixman_image_composite32(PIXMAN_OP_OVER, source, mask, context->target, 0, 0, 0, 0, box.x0,
                                 box.y0, box.x1 - box.x0, box.y1 - box.y0);
    }
    if (mask) pixman_image_unref(mask);
    pixman_image_unref(source);
}

}  // namespace

void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image) {
    if (!context || !image || !hz::quartz::HasArea(rect)) return;
    const CGImagePixels& pixels = *image->pixels;
    const uint8_t alpha = hz::quartz::UnitToByte(context->state.alpha);
    Placement placement;
    if (alpha == 0 || !Place(*context, rect, pixels, &placement)) return;

    const hz::quartz::DrawPath path = hz::quartz::CurrentDrawPath();
    // Other blend modes are drawn as normal; pixman is the place to add them.
    // pixman also turns one byte order into the other.
    if (path == hz::quartz::DrawPath::kPixman || context->state.blendMode != kCGBlendModeNormal ||
        pixels.order != context->order) {
        hz::quartz::SettleFill(context);
        DrawWithPixman(context, pixels, placement, alpha);
        return;
    }
    const hz::quartz::WarpSource source{pixels.words, pixels.stride, pixels.width, pixels.height};
    const hz::quartz::WarpTarget target{context->data, context->rowBytes, context->width,
                                        context->height, context->order};
    const bool filling = context->fillPending;
    context->fillPending = false;
    hz::quartz::WarpBilinearOver(source, target, placement.map, placement.box, alpha,
                                 path == hz::quartz::DrawPath::kSimd
                                     ? hz::quartz::WarpKernels::kSimd
                                     : hz::quartz::WarpKernels::kPortable,
                                 filling ? &context->pendingFill : nullptr);
}
