// Built with -mavx2, and GCC leaves each function through vzeroupper.
#include <immintrin.h>

#include "apps/pluginhost/BlitRows.h"

namespace pluginhost {

// The SSE2 row's arithmetic, eight pixels at a time.
void BlendRowSameSizeAvx2(uint8_t* dst, const uint8_t* src, int count, uint32_t a,
                          uint32_t opaque) {
    const __m256i va = _mm256_set1_epi16(static_cast<int16_t>(a));
    const __m256i vna = _mm256_set1_epi16(static_cast<int16_t>(255 - a));
    const __m256i half = _mm256_set1_epi16(128);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i alpha = _mm256_set1_epi32(static_cast<int32_t>(opaque));
    auto blend = [&](__m256i s8, __m256i d8) {
        __m256i x = _mm256_add_epi16(
            _mm256_add_epi16(_mm256_mullo_epi16(s8, va), _mm256_mullo_epi16(d8, vna)), half);
        return _mm256_srli_epi16(_mm256_add_epi16(x, _mm256_srli_epi16(x, 8)), 8);
    };
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * i));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + 4 * i));
        const __m256i lo = blend(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(d, zero));
        const __m256i hi = blend(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(d, zero));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 4 * i),
                            _mm256_or_si256(_mm256_packus_epi16(lo, hi), alpha));
    }
    for (; i < count; ++i) BlendPixel(dst + 4 * i, src + 4 * i, a, opaque);
}

}  // namespace pluginhost
