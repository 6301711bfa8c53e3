// Row kernels of the host's Blit. The same-size blend runs on every fade
// frame, so it has SIMD forms beside the portable one.
#ifndef HZ_APPS_PLUGINHOST_BLITROWS_H
#define HZ_APPS_PLUGINHOST_BLITROWS_H

#include <cstdint>
#include <cstring>
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

// One pixel mixed by the opacity a (0..255), then made opaque: `opaque` is
// the alpha byte of the maps' byte order, all set.
inline void BlendPixel(uint8_t* d, const uint8_t* s, uint32_t a, uint32_t opaque) {
    const uint32_t na = 255 - a;
    for (int c = 0; c < 4; ++c) d[c] = Div255(s[c] * a + d[c] * na);
    uint32_t word;
    std::memcpy(&word, d, 4);
    word |= opaque;
    std::memcpy(d, &word, 4);
}

}  // namespace

// count pixels of src over dst, pixel for pixel; any alignment.
using BlendRowSameSizeProc = void (*)(uint8_t* dst, const uint8_t* src, int count, uint32_t a,
                                      uint32_t opaque);

void BlendRowSameSizePortable(uint8_t* dst, const uint8_t* src, int count, uint32_t a,
                              uint32_t opaque);
// Built on x86 only, each for its instruction set: reach them through
// RunnableBlendRows.
void BlendRowSameSizeSse2(uint8_t* dst, const uint8_t* src, int count, uint32_t a, uint32_t opaque);
void BlendRowSameSizeAvx2(uint8_t* dst, const uint8_t* src, int count, uint32_t a, uint32_t opaque);
void BlendRowSameSizeAvx512(uint8_t* dst, const uint8_t* src, int count, uint32_t a,
                            uint32_t opaque);

using NamedBlendRow = hz::NamedKernel<BlendRowSameSizeProc>;

// The portable row first, then each this processor runs, fastest last.
const std::vector<NamedBlendRow>& RunnableBlendRows();
BlendRowSameSizeProc ChosenBlendRowSameSize();

}  // namespace pluginhost

#endif
