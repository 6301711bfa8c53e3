#include "platform/quartz/QuartzPolygon.h"

#include <cmath>

namespace hz::quartz {

namespace {

// One Sutherland-Hodgman pass: keeps the side where inside(p) holds.
template <typename Inside, typename Cross>
std::vector<PixelPoint> ClipAgainst(const std::vector<PixelPoint>& poly, Inside inside,
                                    Cross cross) {
    std::vector<PixelPoint> out;
    for (size_t i = 0; i < poly.size(); ++i) {
        const PixelPoint& a = poly[i];
        const PixelPoint& b = poly[(i + 1) % poly.size()];
        const bool ina = inside(a), inb = inside(b);
        if (ina) out.push_back(a);
        if (ina != inb) out.push_back(cross(a, b));
    }
    return out;
}

PixelPoint AtX(const PixelPoint& a, const PixelPoint& b, double x) {
    const double t = (x - a.x) / (b.x - a.x);
    return PixelPoint{x, a.y + t * (b.y - a.y)};
}

PixelPoint AtY(const PixelPoint& a, const PixelPoint& b, double y) {
    const double t = (y - a.y) / (b.y - a.y);
    return PixelPoint{a.x + t * (b.x - a.x), y};
}

pixman_point_fixed_t Fixed(const PixelPoint& p) {
    return pixman_point_fixed_t{pixman_double_to_fixed(p.x), pixman_double_to_fixed(p.y)};
}

}  // namespace

std::vector<pixman_triangle_t> TrianglesWithin(const std::vector<PixelPoint>& convex, double x0,
                                               double y0, double x1, double y1) {
    std::vector<PixelPoint> poly = convex;
    poly = ClipAgainst(
        poly, [x0](const PixelPoint& p) { return p.x >= x0; },
        [x0](const PixelPoint& a, const PixelPoint& b) { return AtX(a, b, x0); });
    poly = ClipAgainst(
        poly, [x1](const PixelPoint& p) { return p.x <= x1; },
        [x1](const PixelPoint& a, const PixelPoint& b) { return AtX(a, b, x1); });
    poly = ClipAgainst(
        poly, [y0](const PixelPoint& p) { return p.y >= y0; },
        [y0](const PixelPoint& a, const PixelPoint& b) { return AtY(a, b, y0); });
    poly = ClipAgainst(
        poly, [y1](const PixelPoint& p) { return p.y <= y1; },
        [y1](const PixelPoint& a, const PixelPoint& b) { return AtY(a, b, y1); });

    std::vector<pixman_triangle_t> triangles;
    for (size_t i = 1; i + 1 < poly.size(); ++i) {
        triangles.push_back(pixman_triangle_t{Fixed(poly[0]), Fixed(poly[i]), Fixed(poly[i + 1])});
    }
    return triangles;
}

bool IsUpright(const PixelPoint (&corners)[4]) {
    constexpr double cSlack = 1.0 / 1024;
    const double e1x = corners[1].x - corners[0].x, e1y = corners[1].y - corners[0].y;
    const double e2x = corners[3].x - corners[0].x, e2y = corners[3].y - corners[0].y;
    return (std::fabs(e1y) <= cSlack && std::fabs(e2x) <= cSlack) ||
           (std::fabs(e1x) <= cSlack && std::fabs(e2y) <= cSlack);
}

}  // namespace hz::quartz
