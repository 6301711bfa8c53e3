// Row kernels of the host's Blit. The same-size blend runs on every fade
// frame, so it has SIMD forms beside the portable one.
#ifndef HZ_APPS_PLUGINHOST_BLITROWS_H
#define HZ_APPS_PLUGINHOST_BLITROWS_H

#include <cstdint>
#include <vector>

#include "platform/types/FastPaths.h"

namespace pluginhost {

// Internal linkage: the SIMD forms, built for other instruction sets, use
// these too, and the linker must not hand their copy to the portable row.
namespace {

// x / 255 rounded, exact for every x in 0..255*255.
inline uint8_t Div255(uint32_t x) {
    return static_cast<uint8_t>((x + 128 + ((x + 128) >> 8)) >> 8);
}

// One ARGB pixel: the colour mixed by the opacity a (0..255), alpha opaque.
inline void BlendPixel(uint8_t* d, const uint8_t* s, uint32_t a) {
    const uint32_t na = 255 - a;
    d[0] = 0xFF;
    for (int c = 1; c < 4; ++c) d[c] = Div255(s[c] * a + d[c] * na);
}

}  // namespace

// count pixels of src over dst, pixel for pixel; any alignment.
using BlendRowSameSizeProc = void (*)(uint8_t* dst, const uint8_t* src, int count, uint32_t a);

void BlendRowSameSizePortable(uint8_t* dst, const uint8_t* src, int count, uint32_t a);
// Built on x86 only, each for its instruction set: reach them through
// RunnableBlendRows.
void BlendRowSameSizeSse2(uint8_t* dst, const uint8_t* src, int count, uint32_t a);
void BlendRowSameSizeAvx2(uint8_t* dst, const uint8_t* src, int count, uint32_t a);
void BlendRowSameSizeAvx512(uint8_t* dst, const uint8_t* src, int count, uint32_t a);

using NamedBlendRow = hz::NamedKernel<BlendRowSameSizeProc>;

// The portable row first, then each this processor runs, fastest last.
const std::vector<NamedBlendRow>& RunnableBlendRows();
BlendRowSameSizeProc ChosenBlendRowSameSize();

}  // namespace pluginhost

#endif
