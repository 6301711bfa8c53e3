// Which SIMD forms may run: those the processor has, unless the
// environment sets HZ_DISABLE_FAST_PATHS (to anything but empty or "0"),
// which keeps the portable forms for the tests and benchmarks that compare
// the two. One reading for every layer that chooses among forms.
#ifndef HZ_PLATFORM_TYPES_FASTPATHS_H
#define HZ_PLATFORM_TYPES_FASTPATHS_H

#include <cstdlib>
#include <cstring>

namespace hz {

inline bool FastPathsDisabled() {
    const char* disable = std::getenv("HZ_DISABLE_FAST_PATHS");
    return disable && *disable && std::strcmp(disable, "0") != 0;
}

inline bool ProcessorHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

inline bool ProcessorHasAvx512Bw() {
#if defined(__x86_64__) || defined(__i386__)
    return __builtin_cpu_supports("avx512bw");
#else
    return false;
#endif
}

}  // namespace hz

#endif
