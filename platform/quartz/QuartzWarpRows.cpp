#include "platform/quartz/QuartzWarpRows.h"

namespace hz::quartz {

const std::vector<NamedWarpRowKernel>& UsableWarpRowKernels() {
    static const std::vector<NamedWarpRowKernel> kernels = [] {
        std::vector<NamedWarpRowKernel> usable{{"portable", WarpOpaqueRowPortable}};
#ifdef HZ_WARP_X86
        __builtin_cpu_init();
        if (__builtin_cpu_supports("sse2")) usable.push_back({"sse2", WarpOpaqueRowSse2});
        if (__builtin_cpu_supports("avx2")) usable.push_back({"avx2", WarpOpaqueRowAvx2});
        if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512bw") &&
            __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi"))
            usable.push_back({"avx512", WarpOpaqueRowAvx512});
#endif
        return usable;
    }();
    return kernels;
}

}  // namespace hz::quartz
