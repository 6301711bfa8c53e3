#include <algorithm>
#include <cmath>

#include "platform/quartz/QuartzPolygon.h"
#include "platform/quartz/QuartzPrivate.h"

namespace {

using hz::quartz::Affine;
using hz::quartz::DevicePoint;
using hz::quartz::PixelEdge;
using hz::quartz::PixelPoint;
using hz::quartz::Subpath;

// What one stroked path covers: whole-pixel boxes for the segments that land
// upright on the pixels, polygons for the rest.
struct StrokeCover {
    std::vector<pixman_box32_t> boxes;
    std::vector<std::vector<PixelPoint>> polygons;
};

// A crisp band for an upright stroke: along the segment, the pixels whose
// centres it spans; across, the max(1, round(width)) pixels nearest its
// centre line, ties going up and left on screen.
pixman_box32_t CrispBand(const PixelPoint (&corners)[4], bool horizontal) {
    const auto [minX, maxX] = std::minmax({corners[0].x, corners[1].x, corners[2].x});
    const auto [minY, maxY] = std::minmax({corners[0].y, corners[1].y, corners[2].y});
    auto across = [](double lo, double hi, int32_t* first, int32_t* end) {
        const double count = std::max(1.0, std::round(hi - lo));
        *first = PixelEdge((lo + hi - count) / 2);
        *end = *first + static_cast<int32_t>(count);
    };
    pixman_box32_t box;
    if (horizontal) {
        box.x1 = PixelEdge(minX);
        box.x2 = PixelEdge(maxX);
        across(minY, maxY, &box.y1, &box.y2);
    } else {
        box.y1 = PixelEdge(minY);
        box.y2 = PixelEdge(maxY);
        across(minX, maxX, &box.x1, &box.x2);
    }
    return box;
}

void AddSegment(const Affine& toPixels, double ax, double ay, double bx, double by,
                bool extendStart, bool extendEnd, double halfWidth, StrokeCover* cover) {
    const double length = std::hypot(bx - ax, by - ay);
    if (!(length > 0)) return;
    const double dx = (bx - ax) / length, dy = (by - ay) / length;
    // Square joins: a segment that meets another runs on by half the width,
    // which fills the corner of a right-angled turn.
    if (extendStart) ax -= dx * halfWidth, ay -= dy * halfWidth;
    if (extendEnd) bx += dx * halfWidth, by += dy * halfWidth;
    const double nx = -dy * halfWidth, ny = dx * halfWidth;
    PixelPoint corners[4];
    toPixels.Apply(ax + nx, ay + ny, &corners[0].x, &corners[0].y);
    toPixels.Apply(bx + nx, by + ny, &corners[1].x, &corners[1].y);
    toPixels.Apply(bx - nx, by - ny, &corners[2].x, &corners[2].y);
    toPixels.Apply(ax - nx, ay - ny, &corners[3].x, &corners[3].y);
    if (hz::quartz::IsUpright(corners)) {
        double pdx, pdy, ox, oy;
        toPixels.Apply(dx, dy, &pdx, &pdy);
        toPixels.Apply(0, 0, &ox, &oy);
        const pixman_box32_t box = CrispBand(corners, std::fabs(pdx - ox) >= std::fabs(pdy - oy));
        if (box.x1 < box.x2 && box.y1 < box.y2) cover->boxes.push_back(box);
    } else {
        cover->polygons.push_back({corners[0], corners[1], corners[2], corners[3]});
    }
}

StrokeCover CoverOf(const std::vector<Subpath>& path, const Affine& ctm, const Affine& toPixels,
                    double lineWidth) {
    StrokeCover cover;
    Affine toUser;
    if (!ctm.Invert(&toUser)) return cover;
    // Points were stored in device space; the pen is the current one, in user space.
    const double halfWidth = std::max(lineWidth, 0.0) / 2;
    for (const Subpath& sub : path) {
        std::vector<DevicePoint> user;
        for (const DevicePoint& p : sub.points) {
            DevicePoint q;
            toUser.Apply(p.x, p.y, &q.x, &q.y);
            user.push_back(q);
        }
        if (sub.closed && user.size() > 2 &&
            (user.back().x != user.front().x || user.back().y != user.front().y)) {
            user.push_back(user.front());
        }
        const size_t segments = user.size() > 1 ? user.size() - 1 : 0;
        for (size_t i = 0; i < segments; ++i) {
            AddSegment(toPixels, user[i].x, user[i].y, user[i + 1].x, user[i + 1].y,
                       i > 0 || sub.closed, i + 1 < segments || sub.closed, halfWidth, &cover);
        }
    }
    return cover;
}

// Overlapping parts of one path are painted once, as Quartz does: upright
// bands through their union, anything else through one coverage mask.
void PaintCover(CGContextRef context, const StrokeCover& cover, const pixman_color_t& color) {
    if (cover.polygons.empty()) {
        pixman_region32_t region, bounds;
        pixman_region32_init_rects(&region, cover.boxes.data(),
                                   static_cast<int>(cover.boxes.size()));
        pixman_region32_init_rect(&bounds, 0, 0, static_cast<unsigned>(context->width),
                                  static_cast<unsigned>(context->height));
        pixman_region32_intersect(&region, &region, &bounds);
        int count = 0;
        const pixman_box32_t* boxes = pixman_region32_rectangles(&region, &count);
        if (count > 0)
            pixman_image_fill_boxes(PIXMAN_OP_OVER, context->target, &color, count, boxes);
        pixman_region32_fini(&bounds);
        pixman_region32_fini(&region);
        return;
    }

    pixman_image_t* mask =
        pixman_image_create_bits(PIXMAN_a8, context->width, context->height, nullptr, 0);
    pixman_image_t* solid = pixman_image_create_solid_fill(&color);
    if (mask && solid) {
        const pixman_color_t full{0, 0, 0, 0xFFFF};
        if (!cover.boxes.empty()) {
            pixman_image_fill_boxes(PIXMAN_OP_SRC, mask, &full,
                                    static_cast<int>(cover.boxes.size()), cover.boxes.data());
        }
        for (const auto& polygon : cover.polygons) {
            const std::vector<pixman_triangle_t> triangles = hz::quartz::TrianglesWithin(
                polygon, -1, -1, context->width + 1, context->height + 1);
            if (!triangles.empty()) {
                pixman_add_triangles(mask, 0, 0, static_cast<int>(triangles.size()),
                                     triangles.data());
            }
        }
        pixman_image_composite32(PIXMAN_OP_OVER, solid, mask, context->target, 0, 0, 0, 0, 0, 0,
                                 context->width, context->height);
    }
    if (solid) pixman_image_unref(solid);
    if (mask) pixman_image_unref(mask);
}

void Stroke(CGContextRef context, const std::vector<Subpath>& path) {
    hz::quartz::SettleFill(context);
    const pixman_color_t color =
        hz::quartz::PremultipliedColor(context->state.stroke, context->state.alpha);
    if (color.alpha == 0) return;
    const StrokeCover cover = CoverOf(path, context->state.ctm, hz::quartz::UserToPixels(*context),
                                      context->state.lineWidth);
    if (cover.boxes.empty() && cover.polygons.empty()) return;
    PaintCover(context, cover, color);
}

DevicePoint ToDevice(CGContextRef context, double x, double y) {
    DevicePoint p;
    context->state.ctm.Apply(x, y, &p.x, &p.y);
    return p;
}

}  // namespace

void CGContextBeginPath(CGContextRef context) {
    if (context) context->path.clear();
}

void CGContextMoveToPoint(CGContextRef context, CGFloat x, CGFloat y) {
    if (!context) return;
    context->path.push_back(Subpath{{ToDevice(context, x, y)}, false});
}

void CGContextAddLineToPoint(CGContextRef context, CGFloat x, CGFloat y) {
    // Without a current point there is nothing to draw from.
    if (!context || context->path.empty()) return;
    context->path.back().points.push_back(ToDevice(context, x, y));
}

void CGContextStrokePath(CGContextRef context) {
    if (!context) return;
    Stroke(context, context->path);
    context->path.clear();
}

void CGContextStrokeRect(CGContextRef context, CGRect rect) {
    if (!context || !std::isfinite(rect.origin.x) || !std::isfinite(rect.origin.y) ||
        !std::isfinite(rect.size.width) || !std::isfinite(rect.size.height)) {
        return;
    }
    const double x0 = rect.origin.x, y0 = rect.origin.y;
    const double x1 = x0 + rect.size.width, y1 = y0 + rect.size.height;
    Subpath outline{{ToDevice(context, x0, y0), ToDevice(context, x1, y0),
                     ToDevice(context, x1, y1), ToDevice(context, x0, y1)},
                    true};
    Stroke(context, {outline});
}
