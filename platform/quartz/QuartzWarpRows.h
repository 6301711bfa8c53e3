/* The warp's row kernels for the interior of an opaque picture drawn at
 * full alpha: all four taps of every pixel lie inside the picture, so the
 * sample replaces the pixel. Each kernel gives exactly the portable one's
 * bytes. */
#ifndef HZ_PLATFORM_QUARTZ_WARPROWS_H
#define HZ_PLATFORM_QUARTZ_WARPROWS_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/types/FastPaths.h"

namespace hz::quartz {

// Pixel i samples at (u + i * du, v + i * dv), 16.16, upper-left tap. Taps
// `ahead` pixels on from the current ones (where a row a few rows further
// down will read) may be fetched early; kernels may ignore it.
struct WarpRow {
    const uint32_t* words = nullptr;  // device order, alpha ignored
    ptrdiff_t stride = 0;             // in pixels
    int32_t u = 0;
    int32_t v = 0;
    int32_t du = 0;
    int32_t dv = 0;
    ptrdiff_t ahead = 0;
    int32_t width = 0;    // image columns; no kernel reads past them
    uint32_t opaque = 0;  // the alpha byte of the device order, all set
};

using WarpRowKernel = void (*)(uint32_t* dst, int32_t count, const WarpRow& row);

void WarpOpaqueRowPortable(uint32_t* dst, int32_t count, const WarpRow& row);
// Built on x86 only, each for its instruction set: reach them through
// RunnableWarpRows. They need the source stride and every tap coordinate
// below 32768.
void WarpOpaqueRowSse2(uint32_t* dst, int32_t count, const WarpRow& row);
void WarpOpaqueRowAvx2(uint32_t* dst, int32_t count, const WarpRow& row);
void WarpOpaqueRowAvx512(uint32_t* dst, int32_t count, const WarpRow& row);

using NamedWarpRow = hz::NamedKernel<WarpRowKernel>;

// The portable kernel first, then each this processor runs, fastest last.
const std::vector<NamedWarpRow>& RunnableWarpRows();
WarpRowKernel ChosenWarpRow();

// Internal linkage: the kernels built for other instruction sets use it
// too, and the linker must not hand their copy to the portable kernel.
namespace {

// Sum of the four taps with 7-bit weights, truncated, exactly as pixman's
// bilinear fetch rounds. Each 64-bit word carries two channels far enough
// apart that their 22-bit sums never meet; the channels never mix, so the
// byte order does not matter.
inline uint32_t Bilinear(uint32_t tl, uint32_t tr, uint32_t bl, uint32_t br, uint32_t wx,
                         uint32_t wy) {
    const uint64_t wtl = (128 - wx) * (128 - wy);
    const uint64_t wtr = wx * (128 - wy);
    const uint64_t wbl = (128 - wx) * wy;
    const uint64_t wbr = wx * wy;
    auto outer = [](uint32_t p) { return static_cast<uint64_t>(p & 0xFF0000FFu); };
    auto inner = [](uint32_t p) {
        return (static_cast<uint64_t>(p & 0x00FF0000u) << 16) | (p & 0x0000FF00u);
    };
    const uint64_t o = outer(tl) * wtl + outer(tr) * wtr + outer(bl) * wbl + outer(br) * wbr;
    const uint64_t n = inner(tl) * wtl + inner(tr) * wtr + inner(bl) * wbl + inner(br) * wbr;
    return static_cast<uint32_t>(((o >> 14) & 0xFF0000FFu) | ((n >> 14) & 0x0000FF00u) |
                                 ((n >> 30) & 0x00FF0000u));
}

}  // namespace

}  // namespace hz::quartz

#endif
