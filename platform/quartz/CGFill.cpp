#include <algorithm>

#include "platform/quartz/QuartzPolygon.h"
#include "platform/quartz/QuartzPrivate.h"

namespace {

using hz::quartz::PixelPoint;

struct Paint {
    pixman_op_t op;
    pixman_color_t color;
};

// The rectangle's corners on the pixels, as the CTM places it.
void Corners(const CGContext& context, CGRect rect, PixelPoint (&corners)[4]) {
    const hz::quartz::Affine toPixels = hz::quartz::UserToPixels(context);
    const double x0 = rect.origin.x, y0 = rect.origin.y;
    const double x1 = x0 + rect.size.width, y1 = y0 + rect.size.height;
    toPixels.Apply(x0, y0, &corners[0].x, &corners[0].y);
    toPixels.Apply(x1, y0, &corners[1].x, &corners[1].y);
    toPixels.Apply(x1, y1, &corners[2].x, &corners[2].y);
    toPixels.Apply(x0, y1, &corners[3].x, &corners[3].y);
}

// The whole pixels an upright rectangle covers, unclipped.
pixman_box32_t UprightBox(const PixelPoint (&corners)[4]) {
    const auto [minX, maxX] = std::minmax({corners[0].x, corners[1].x, corners[2].x});
    const auto [minY, maxY] = std::minmax({corners[0].y, corners[1].y, corners[2].y});
    return pixman_box32_t{hz::quartz::PixelEdge(minX), hz::quartz::PixelEdge(minY),
                          hz::quartz::PixelEdge(maxX), hz::quartz::PixelEdge(maxY)};
}

// Covers the rectangle as the CTM places it. Upright rectangles take whole
// pixels, exactly; turned ones an antialiased polygon, its coverage the mask.
void PaintUserRect(CGContextRef context, CGRect rect, const Paint& upright, const Paint& turned) {
    if (!context || !hz::quartz::HasArea(rect)) return;
    hz::quartz::SettleFill(context);
    PixelPoint corners[4];
    Corners(*context, rect, corners);

    if (hz::quartz::IsUpright(corners)) {
        const pixman_box32_t whole = UprightBox(corners);
        pixman_box32_t box{std::max(whole.x1, 0), std::max(whole.y1, 0),
                           std::min(whole.x2, context->width), std::min(whole.y2, context->height)};
        if (box.x1 < box.x2 && box.y1 < box.y2) {
            pixman_image_fill_boxes(upright.op, context->target, &upright.color, 1, &box);
        }
        return;
    }

    const std::vector<pixman_triangle_t> triangles =
        hz::quartz::TrianglesWithin({corners[0], corners[1], corners[2], corners[3]}, -1, -1,
                                    context->width + 1, context->height + 1);
    if (triangles.empty()) return;
    pixman_image_t* solid = pixman_image_create_solid_fill(&turned.color);
    if (!solid) return;
    pixman_composite_triangles(turned.op, solid, context->target, PIXMAN_a8, 0, 0, 0, 0,
                               static_cast<int>(triangles.size()), triangles.data());
    pixman_image_unref(solid);
}

bool CoversContext(const CGContext& context, CGRect rect) {
    if (!hz::quartz::HasArea(rect)) return false;
    PixelPoint corners[4];
    Corners(context, rect, corners);
    if (!hz::quartz::IsUpright(corners)) return false;
    const pixman_box32_t box = UprightBox(corners);
    return box.x1 <= 0 && box.y1 <= 0 && box.x2 >= context.width && box.y2 >= context.height;
}

uint32_t DeviceWord(const CGContext& context, const pixman_color_t& c) {
    return hz::quartz::DeviceWord(
        context.order, static_cast<uint8_t>(c.alpha >> 8), static_cast<uint8_t>(c.red >> 8),
        static_cast<uint8_t>(c.green >> 8), static_cast<uint8_t>(c.blue >> 8));
}

}  // namespace

void CGContextClearRect(CGContextRef context, CGRect rect) {
    // Where a turned edge crosses a pixel only the covered share goes: an
    // opaque source with OUT_REVERSE scales what is there by the rest.
    PaintUserRect(context, rect, Paint{PIXMAN_OP_SRC, pixman_color_t{0, 0, 0, 0}},
                  Paint{PIXMAN_OP_OUT_REVERSE, pixman_color_t{0, 0, 0, 0xFFFF}});
}

void CGContextFillRect(CGContextRef context, CGRect rect) {
    if (!context) return;
    const pixman_color_t color =
        hz::quartz::PremultipliedColor(context->state.fill, context->state.alpha);
    if (color.alpha == 0) return;
    if (color.alpha == 0xFFFF && CoversContext(*context, rect)) {
        // Whatever was there, pending or painted, is hidden; the next image
        // drawn can paint the fill around itself in one pass.
        context->fillPending = true;
        context->pendingFill = DeviceWord(*context, color);
        return;
    }
    PaintUserRect(context, rect, Paint{PIXMAN_OP_OVER, color}, Paint{PIXMAN_OP_OVER, color});
}
