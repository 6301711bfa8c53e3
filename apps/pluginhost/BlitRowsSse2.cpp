#include <emmintrin.h>

#include "apps/pluginhost/BlitRows.h"

namespace pluginhost {

// Four pixels at a time; the sums stay below 65536, so 16-bit lanes give
// exactly Div255's results, and the tail goes pixel by pixel.
void BlendRowSameSizeSse2(uint8_t* dst, const uint8_t* src, int count, uint32_t a,
                          uint32_t opaque) {
    const __m128i va = _mm_set1_epi16(static_cast<int16_t>(a));
    const __m128i vna = _mm_set1_epi16(static_cast<int16_t>(255 - a));
    const __m128i half = _mm_set1_epi16(128);
    const __m128i zero = _mm_setzero_si128();
    const __m128i alpha = _mm_set1_epi32(static_cast<int32_t>(opaque));
    auto blend = [&](__m128i s8, __m128i d8) {
        __m128i x =
            _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(s8, va), _mm_mullo_epi16(d8, vna)), half);
        return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
    };
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + 4 * i));
        const __m128i lo = blend(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
        const __m128i hi = blend(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * i),
                         _mm_or_si128(_mm_packus_epi16(lo, hi), alpha));
    }
    for (; i < count; ++i) BlendPixel(dst + 4 * i, src + 4 * i, a, opaque);
}

}  // namespace pluginhost
