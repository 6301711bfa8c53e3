// Which SIMD kernels may run. The processor is asked here, once, and
// nowhere else: every layer with several forms of a kernel lists them with
// the instruction sets each needs, and takes the fastest the processor
// runs. HZ_DISABLE_FAST_PATHS (set to anything but empty or "0") leaves
// every layer its portable forms, for the tests and benchmarks that hold
// the fast forms to them.
#ifndef HZ_PLATFORM_TYPES_FASTPATHS_H
#define HZ_PLATFORM_TYPES_FASTPATHS_H

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace hz {

enum CpuFeature : unsigned {
    kCpuSse2 = 1u << 0,
    kCpuAvx2 = 1u << 1,
    kCpuAvx512Bw = 1u << 2,
    kCpuAvx512Vl = 1u << 3,
    kCpuAvx512Vbmi = 1u << 4,
};

// A switch the tests set in the environment: on unless unset, empty or "0".
inline bool EnvironmentSwitchOn(const char* name) {
    const char* value = std::getenv(name);
    return value && *value && std::strcmp(value, "0") != 0;
}

inline bool FastPathsDisabled() { return EnvironmentSwitchOn("HZ_DISABLE_FAST_PATHS"); }

// A mask of CpuFeature.
inline unsigned ProcessorFeatures() {
    static const unsigned features = [] {
        unsigned has = 0;
#if defined(__x86_64__) || defined(__i386__)
        // Static constructors may run before the library's own set-up.
        __builtin_cpu_init();
        if (__builtin_cpu_supports("sse2")) has |= kCpuSse2;
        if (__builtin_cpu_supports("avx2")) has |= kCpuAvx2;
        if (__builtin_cpu_supports("avx512bw")) has |= kCpuAvx512Bw;
        if (__builtin_cpu_supports("avx512vl")) has |= kCpuAvx512Vl;
        if (__builtin_cpu_supports("avx512vbmi")) has |= kCpuAvx512Vbmi;
#endif
        return has;
    }();
    return features;
}

template <typename Kernel>
struct NamedKernel {
    const char* name;
    unsigned needs;  // CpuFeature mask; none for the portable form
    Kernel kernel;
};

// The forms this processor runs, whatever HZ_DISABLE_FAST_PATHS says, so
// that a test can hold each one to the portable form. `all` begins with the
// portable form and goes from the slowest to the fastest.
template <typename Kernel>
std::vector<NamedKernel<Kernel>> RunnableKernels(std::initializer_list<NamedKernel<Kernel>> all) {
    std::vector<NamedKernel<Kernel>> runnable;
    for (const NamedKernel<Kernel>& k : all)
        if ((k.needs & ~ProcessorFeatures()) == 0) runnable.push_back(k);
    return runnable;
}

// The form to use from a RunnableKernels list.
template <typename Kernel>
const NamedKernel<Kernel>& ChosenKernel(const std::vector<NamedKernel<Kernel>>& runnable) {
    return FastPathsDisabled() ? runnable.front() : runnable.back();
}

}  // namespace hz

#endif
