#include "apps/pluginhost/BlitRows.h"

#include "platform/types/FastPaths.h"

namespace pluginhost {

void BlendRowSameSizePortable(uint8_t* dst, const uint8_t* src, int count, uint32_t a) {
    for (int i = 0; i < count; ++i) BlendPixel(dst + 4 * i, src + 4 * i, a);
}

BlendRowSameSizeProc ChosenBlendRowSameSize() {
    static const BlendRowSameSizeProc chosen = [] {
        if (hz::FastPathsDisabled()) return BlendRowSameSizePortable;
        if (cBlendRowSameSizeAvx512 && hz::ProcessorHasAvx512Bw()) return cBlendRowSameSizeAvx512;
        if (cBlendRowSameSizeAvx2 && hz::ProcessorHasAvx2()) return cBlendRowSameSizeAvx2;
        return cBlendRowSameSizeSse2 ? cBlendRowSameSizeSse2 : BlendRowSameSizePortable;
    }();
    return chosen;
}

}  // namespace pluginhost
