#include "apps/pluginhost/BlitRows.h"

#include <cstdlib>
#include <cstring>

namespace pluginhost {

void BlendRowSameSizePortable(uint8_t* dst, const uint8_t* src, int count, uint32_t a) {
    for (int i = 0; i < count; ++i) BlendPixel(dst + 4 * i, src + 4 * i, a);
}

bool ProcessorHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

bool ProcessorHasAvx512Bw() {
#if defined(__x86_64__) || defined(__i386__)
    return __builtin_cpu_supports("avx512bw");
#else
    return false;
#endif
}

BlendRowSameSizeProc ChosenBlendRowSameSize() {
    static const BlendRowSameSizeProc chosen = [] {
        const char* disable = std::getenv("HZ_DISABLE_FAST_PATHS");
        const bool disabled = disable && *disable && std::strcmp(disable, "0") != 0;
        if (disabled) return BlendRowSameSizePortable;
        if (cBlendRowSameSizeAvx512 && ProcessorHasAvx512Bw()) return cBlendRowSameSizeAvx512;
        if (cBlendRowSameSizeAvx2 && ProcessorHasAvx2()) return cBlendRowSameSizeAvx2;
        return cBlendRowSameSizeSse2 ? cBlendRowSameSizeSse2 : BlendRowSameSizePortable;
    }();
    return chosen;
}

}  // namespace pluginhost
