/* Which code draws images: our warp, unless the environment sets
 * HZ_DRAW_WITH_PIXMAN (to anything but empty or "0"), read once, which
 * draws through pixman's composite, the reference. The tests hold whole
 * runs of a host to it that way; tests and benchmarks in the process switch
 * between the paths with SetDrawPath. */
#ifndef HZ_PLATFORM_QUARTZ_DRAWPATH_H
#define HZ_PLATFORM_QUARTZ_DRAWPATH_H

namespace hz::quartz {

enum class DrawPath {
    kPixman,    // pixman's bilinear composite: the reference
    kPortable,  // our warp with plain C++ rows
    kSimd       // our warp with the chosen interior rows (ChosenWarpRow)
};

DrawPath CurrentDrawPath();
void SetDrawPath(DrawPath path);

}  // namespace hz::quartz

#endif
