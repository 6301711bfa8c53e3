#include "apps/pluginhost/BlitRows.h"

namespace pluginhost {

void BlendRowSameSizePortable(uint8_t* dst, const uint8_t* src, int count, uint32_t a,
                              uint32_t opaque) {
    for (int i = 0; i < count; ++i) BlendPixel(dst + 4 * i, src + 4 * i, a, opaque);
}

const std::vector<NamedBlendRow>& RunnableBlendRows() {
    static const std::vector<NamedBlendRow> runnable = hz::RunnableKernels<BlendRowSameSizeProc>({
        {"portable", 0, BlendRowSameSizePortable},
#ifdef HZ_X86_KERNELS
        {"sse2", hz::kCpuSse2, BlendRowSameSizeSse2},
        {"avx2", hz::kCpuAvx2, BlendRowSameSizeAvx2},
        {"avx512", hz::kCpuAvx512Bw, BlendRowSameSizeAvx512},
#endif
    });
    return runnable;
}

BlendRowSameSizeProc ChosenBlendRowSameSize() {
    static const BlendRowSameSizeProc chosen = hz::ChosenKernel(RunnableBlendRows()).kernel;
    return chosen;
}

}  // namespace pluginhost
