// Row kernels of the host's Blit. The same-size blend runs on every fade
// frame, so it has SIMD forms beside the portable one; the choice is made
// once, and HZ_DISABLE_FAST_PATHS=1 keeps the portable one, as for the
// plug-in's own drawing.
#ifndef HZ_APPS_PLUGINHOST_BLITROWS_H
#define HZ_APPS_PLUGINHOST_BLITROWS_H

#include <cstdint>

namespace pluginhost {

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

// count pixels of src over dst, pixel for pixel; any alignment.
typedef void (*BlendRowSameSizeProc)(uint8_t* dst, const uint8_t* src, int count, uint32_t a);

void BlendRowSameSizePortable(uint8_t* dst, const uint8_t* src, int count, uint32_t a);
// Nil where the build has no SSE2.
extern const BlendRowSameSizeProc cBlendRowSameSizeSse2;
// Nil where the build has no AVX2 form; to be called only where
// hz::ProcessorHasAvx2() (platform/types/FastPaths.h).
extern const BlendRowSameSizeProc cBlendRowSameSizeAvx2;
// Nil where the build has no AVX-512 form; to be called only where
// hz::ProcessorHasAvx512Bw().
extern const BlendRowSameSizeProc cBlendRowSameSizeAvx512;

// The kernel in use: the widest this build and processor have, unless fast
// paths are off.
BlendRowSameSizeProc ChosenBlendRowSameSize();

}  // namespace pluginhost

#endif
