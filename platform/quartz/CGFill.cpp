#include <algorithm>

#include "platform/quartz/QuartzPolygon.h"
#include "platform/quartz/QuartzPrivate.h"

namespace {

using hz::quartz::PixelPoint;

struct Paint {
    pixman_op_t op;
    pixman_color_t color;
};

// Covers the rectangle as the CTM places it. Upright rectangles take whole
// pixels, exactly; turned ones an antialiased polygon, its coverage the mask.
void PaintUserRect(CGContextRef context, CGRect rect, const Paint& upright, const Paint& turned) {
    if (!context || !hz::quartz::HasArea(rect)) return;
    const hz::quartz::Affine toPixels = hz::quartz::UserToPixels(*context);
    const double x0 = rect.origin.x, y0 = rect.origin.y;
    const double x1 = x0 + rect.size.width, y1 = y0 + rect.size.height;
    PixelPoint corners[4];
    toPixels.Apply(x0, y0, &corners[0].x, &corners[0].y);
    toPixels.Apply(x1, y0, &corners[1].x, &corners[1].y);
    toPixels.Apply(x1, y1, &corners[2].x, &corners[2].y);
    toPixels.Apply(x0, y1, &corners[3].x, &corners[3].y);

    if (hz::quartz::IsUpright(corners)) {
        const auto [minX, maxX] = std::minmax({corners[0].x, corners[1].x, corners[2].x});
        const auto [minY, maxY] = std::minmax({corners[0].y, corners[1].y, corners[2].y});
        pixman_box32_t box{std::max(hz::quartz::PixelEdge(minX), 0),
                           std::max(hz::quartz::PixelEdge(minY), 0),
                           std::min(hz::quartz::PixelEdge(maxX), context->width),
                           std::min(hz::quartz::PixelEdge(maxY), context->height)};
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
    PaintUserRect(context, rect, Paint{PIXMAN_OP_OVER, color}, Paint{PIXMAN_OP_OVER, color});
}
