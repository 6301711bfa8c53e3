/* Antialiased convex polygons in pixel coordinates, for the fills and strokes
 * that do not land on whole pixels. */
#ifndef HZ_PLATFORM_QUARTZ_POLYGON_H
#define HZ_PLATFORM_QUARTZ_POLYGON_H

#include <pixman.h>

#include <vector>

namespace hz::quartz {

struct PixelPoint {
    double x = 0;
    double y = 0;
};

// The polygon cut to [x0, x1] x [y0, y1] and fanned into triangles, so that
// far-off corners never overflow pixman's 16.16 coordinates.
std::vector<pixman_triangle_t> TrianglesWithin(const std::vector<PixelPoint>& convex, double x0,
                                               double y0, double x1, double y1);

// True when the four corners form a rectangle with horizontal and vertical sides.
bool IsUpright(const PixelPoint (&corners)[4]);

}  // namespace hz::quartz

#endif
