// Built with -mavx2: GCC then leaves every function that used the upper
// register halves through vzeroupper, so SSE code that runs after it (ours,
// libc's, the encoder's) pays no transition penalty.
#include <immintrin.h>

#include "platform/quartz/QuartzPrivate.h"
#include "platform/quartz/QuartzWarpRows.h"

namespace hz::quartz {

namespace {

// Tap pairs (left, right) of four pixels: a and b in the low lane, c and d
// in the high one, so that each lane works on its own two pixels.
inline __m256i LoadPairs(const uint32_t* a, const uint32_t* b, const uint32_t* c,
                         const uint32_t* d) {
    auto pair = [](const uint32_t* p, const uint32_t* q) {
        const __m128i low = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
        return _mm_castps_si128(
            _mm_loadh_pi(_mm_castsi128_ps(low), reinterpret_cast<const __m64*>(q)));
    };
    return _mm256_inserti128_si256(_mm256_castsi128_si256(pair(a, b)), pair(c, d), 1);
}

// As the SSE2 kernel's: top and bottom bytes side by side against 14-bit
// weight pairs, two pmaddwd per pixel, one pixel per lane.
inline __m256i Weigh(__m256i columns, __m256i leftWeights, __m256i rightWeights) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i left = _mm256_madd_epi16(_mm256_unpacklo_epi8(columns, zero), leftWeights);
    const __m256i right = _mm256_madd_epi16(_mm256_unpackhi_epi8(columns, zero), rightWeights);
    return _mm256_srli_epi32(_mm256_add_epi32(left, right), 14);
}

}  // namespace

void WarpOpaqueRowAvx2(uint32_t* dst, int32_t count, const WarpRow& row) {
    const uint32_t* words = row.words;
    const ptrdiff_t stride = row.stride;
    const uint32_t ustart = static_cast<uint32_t>(row.u), vstart = static_cast<uint32_t>(row.v);
    const uint32_t du = static_cast<uint32_t>(row.du), dv = static_cast<uint32_t>(row.dv);
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256i us = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(ustart)),
                                  _mm256_mullo_epi32(lanes, _mm256_set1_epi32(row.du)));
    __m256i vs = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(vstart)),
                                  _mm256_mullo_epi32(lanes, _mm256_set1_epi32(row.dv)));
    const __m256i ustep = _mm256_set1_epi32(static_cast<int32_t>(8u * du));
    const __m256i vstep = _mm256_set1_epi32(static_cast<int32_t>(8u * dv));
    const __m256i weightMask = _mm256_set1_epi32(127);
    const __m256i full = _mm256_set1_epi32(128);
    const __m256i opaque = _mm256_set1_epi32(static_cast<int32_t>(row.opaque));
    const __m256i offsetFactors = _mm256_set1_epi32(static_cast<int32_t>(1u | (stride << 16)));

    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i x = _mm256_srai_epi32(us, 16);
        const __m256i y = _mm256_srai_epi32(vs, 16);
        alignas(32) int32_t o[8];
        _mm256_store_si256(
            reinterpret_cast<__m256i*>(o),
            _mm256_madd_epi16(_mm256_or_si256(x, _mm256_slli_epi32(y, 16)), offsetFactors));
        _mm_prefetch(reinterpret_cast<const char*>(words + o[0] + row.ahead), _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(words + o[7] + row.ahead), _MM_HINT_T0);
        // Pixels 0, 1 | 4, 5 and 2, 3 | 6, 7: the packs at the end then
        // put all eight back in order.
        const uint32_t* b = words + stride;
        const __m256i tops0145 = LoadPairs(words + o[0], words + o[1], words + o[4], words + o[5]);
        const __m256i bottoms0145 = LoadPairs(b + o[0], b + o[1], b + o[4], b + o[5]);
        const __m256i tops2367 = LoadPairs(words + o[2], words + o[3], words + o[6], words + o[7]);
        const __m256i bottoms2367 = LoadPairs(b + o[2], b + o[3], b + o[6], b + o[7]);

        const __m256i wx = _mm256_and_si256(_mm256_srli_epi32(us, 9), weightMask);
        const __m256i wy = _mm256_and_si256(_mm256_srli_epi32(vs, 9), weightMask);
        const __m256i ix = _mm256_sub_epi32(full, wx);
        const __m256i vertical =
            _mm256_or_si256(_mm256_sub_epi32(full, wy), _mm256_slli_epi32(wy, 16));
        const __m256i leftWeights =
            _mm256_mullo_epi16(_mm256_or_si256(ix, _mm256_slli_epi32(ix, 16)), vertical);
        const __m256i rightWeights =
            _mm256_mullo_epi16(_mm256_or_si256(wx, _mm256_slli_epi32(wx, 16)), vertical);

        const __m256i p04 = Weigh(_mm256_unpacklo_epi8(tops0145, bottoms0145),
                                  _mm256_shuffle_epi32(leftWeights, 0x00),
                                  _mm256_shuffle_epi32(rightWeights, 0x00));
        const __m256i p15 = Weigh(_mm256_unpackhi_epi8(tops0145, bottoms0145),
                                  _mm256_shuffle_epi32(leftWeights, 0x55),
                                  _mm256_shuffle_epi32(rightWeights, 0x55));
        const __m256i p26 = Weigh(_mm256_unpacklo_epi8(tops2367, bottoms2367),
                                  _mm256_shuffle_epi32(leftWeights, 0xAA),
                                  _mm256_shuffle_epi32(rightWeights, 0xAA));
        const __m256i p37 = Weigh(_mm256_unpackhi_epi8(tops2367, bottoms2367),
                                  _mm256_shuffle_epi32(leftWeights, 0xFF),
                                  _mm256_shuffle_epi32(rightWeights, 0xFF));
        const __m256i out =
            _mm256_packus_epi16(_mm256_packs_epi32(p04, p15), _mm256_packs_epi32(p26, p37));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_or_si256(out, opaque));
        us = _mm256_add_epi32(us, ustep);
        vs = _mm256_add_epi32(vs, vstep);
    }
    if (i < count) {
        WarpRow rest = row;
        rest.u = static_cast<int32_t>(ustart + static_cast<uint32_t>(i) * du);
        rest.v = static_cast<int32_t>(vstart + static_cast<uint32_t>(i) * dv);
        WarpOpaqueRowSse2(dst + i, count - i, rest);
    }
}

}  // namespace hz::quartz
