#include "platform/quartz/QuartzWarpRows.h"

namespace hz::quartz {

const std::vector<NamedWarpRow>& RunnableWarpRows() {
    static const std::vector<NamedWarpRow> runnable = RunnableKernels<WarpRowKernel>({
        {"portable", 0, WarpOpaqueRowPortable},
#ifdef HZ_X86_KERNELS
        {"sse2", kCpuSse2, WarpOpaqueRowSse2},
        {"avx2", kCpuAvx2, WarpOpaqueRowAvx2},
        {"avx512", kCpuAvx2 | kCpuAvx512Bw | kCpuAvx512Vl | kCpuAvx512Vbmi, WarpOpaqueRowAvx512},
#endif
    });
    return runnable;
}

WarpRowKernel ChosenWarpRow() {
    static const WarpRowKernel chosen = ChosenKernel(RunnableWarpRows()).kernel;
    return chosen;
}

}  // namespace hz::quartz
