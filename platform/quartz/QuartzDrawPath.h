/* Which code draws images. The fast paths are on unless the environment sets
 * HZ_DISABLE_FAST_PATHS=1 (read once); tests and benchmarks switch between
 * the paths to hold them against each other. */
#ifndef HZ_PLATFORM_QUARTZ_DRAWPATH_H
#define HZ_PLATFORM_QUARTZ_DRAWPATH_H

namespace hz::quartz {

enum class DrawPath {
    kPixman,    // pixman's bilinear composite: the reference
    kPortable,  // our warp with plain C++ rows
    kSimd       // our warp with SIMD interior rows where the build has them
};

DrawPath CurrentDrawPath();
void SetDrawPath(DrawPath path);

}  // namespace hz::quartz

#endif
