// The intrinsics, for files built with AVX-512. GCC 12's AVX-512
// intrinsics fill their unused operands from a deliberately uninitialised
// value and then warn about it at every call.
#ifndef HZ_PLATFORM_TYPES_AVX512INTRINSICS_H
#define HZ_PLATFORM_TYPES_AVX512INTRINSICS_H

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#endif
