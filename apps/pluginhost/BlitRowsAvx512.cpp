// Built with AVX-512 BW, and GCC leaves each function through vzeroupper.
#include <immintrin.h>

#include "apps/pluginhost/BlitRows.h"

namespace pluginhost {

// Sixteen pixels at a time. Source and destination bytes side by side, made
// signed by taking 128 off, give s * a + d * (255 - a) - 128 * 255 in one
// multiply-add per channel; adding 128 * 255 + 128 back leaves Div255's
// operand, which it then divides exactly as Div255 does.
void BlendRowSameSizeAvx512(uint8_t* dst, const uint8_t* src, int count, uint32_t a,
                            uint32_t opaque) {
    const __m512i weights = _mm512_set1_epi16(static_cast<int16_t>(a | ((255 - a) << 8)));
    const __m512i signFlip = _mm512_set1_epi8(static_cast<char>(0x80));
    const __m512i offset = _mm512_set1_epi16(static_cast<int16_t>(128 * 255 + 128));
    const __m512i alpha = _mm512_set1_epi32(static_cast<int32_t>(opaque));
    auto blend = [&](__m512i pairs) {
        const __m512i x = _mm512_add_epi16(_mm512_maddubs_epi16(weights, pairs), offset);
        return _mm512_srli_epi16(_mm512_add_epi16(x, _mm512_srli_epi16(x, 8)), 8);
    };
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m512i s = _mm512_xor_si512(_mm512_loadu_si512(src + 4 * i), signFlip);
        const __m512i d = _mm512_xor_si512(_mm512_loadu_si512(dst + 4 * i), signFlip);
        const __m512i lo = blend(_mm512_unpacklo_epi8(s, d));
        const __m512i hi = blend(_mm512_unpackhi_epi8(s, d));
        _mm512_storeu_si512(dst + 4 * i, _mm512_or_si512(_mm512_packus_epi16(lo, hi), alpha));
    }
    for (; i < count; ++i) BlendPixel(dst + 4 * i, src + 4 * i, a, opaque);
}

}  // namespace pluginhost
