#include <emmintrin.h>

#include "platform/quartz/QuartzPrivate.h"
#include "platform/quartz/QuartzWarpRows.h"

namespace hz::quartz {

namespace {

// The tap pairs (left, right) of two pixels in one register: p's in the low
// half, q's in the high half.
inline __m128i LoadPairs(const uint32_t* p, const uint32_t* q) {
    const __m128i low = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    return _mm_castps_si128(_mm_loadh_pi(_mm_castsi128_ps(low), reinterpret_cast<const __m64*>(q)));
}

// One pixel's four taps, each channel's top and bottom byte side by side,
// against 14-bit weights: two pmaddwd give the whole sum of the portable
// kernel, so the truncated result is the same.
inline __m128i Weigh(__m128i columns, __m128i leftWeights, __m128i rightWeights) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i left = _mm_madd_epi16(_mm_unpacklo_epi8(columns, zero), leftWeights);
    const __m128i right = _mm_madd_epi16(_mm_unpackhi_epi8(columns, zero), rightWeights);
    return _mm_srli_epi32(_mm_add_epi32(left, right), 14);
}

}  // namespace

void WarpOpaqueRowSse2(uint32_t* dst, int32_t count, const WarpRow& row) {
    const uint32_t* words = row.words;
    const ptrdiff_t stride = row.stride;
    const uint32_t ustart = static_cast<uint32_t>(row.u), vstart = static_cast<uint32_t>(row.v);
    const uint32_t du = static_cast<uint32_t>(row.du), dv = static_cast<uint32_t>(row.dv);
    __m128i us = _mm_setr_epi32(static_cast<int32_t>(ustart), static_cast<int32_t>(ustart + du),
                                static_cast<int32_t>(ustart + 2u * du),
                                static_cast<int32_t>(ustart + 3u * du));
    __m128i vs = _mm_setr_epi32(static_cast<int32_t>(vstart), static_cast<int32_t>(vstart + dv),
                                static_cast<int32_t>(vstart + 2u * dv),
                                static_cast<int32_t>(vstart + 3u * dv));
    const __m128i ustep = _mm_set1_epi32(static_cast<int32_t>(4u * du));
    const __m128i vstep = _mm_set1_epi32(static_cast<int32_t>(4u * dv));
    const __m128i weightMask = _mm_set1_epi32(127);
    const __m128i full = _mm_set1_epi32(128);
    const __m128i opaque = _mm_set1_epi32(static_cast<int32_t>(row.opaque));
    // pmaddwd of (x, y) against (1, stride) gives each pixel's tap offset.
    const __m128i offsetFactors = _mm_set1_epi32(static_cast<int32_t>(1u | (stride << 16)));

    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i x = _mm_srai_epi32(us, 16);
        const __m128i y = _mm_srai_epi32(vs, 16);
        alignas(16) int32_t offsets[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(offsets),
                        _mm_madd_epi16(_mm_or_si128(x, _mm_slli_epi32(y, 16)), offsetFactors));
        _mm_prefetch(reinterpret_cast<const char*>(words + offsets[0] + row.ahead), _MM_HINT_T0);

        // Per pixel, (top, bottom) weight pairs for the left and the right
        // taps: (128 - wx) or wx times (128 - wy, wy); at most 128 * 128.
        const __m128i wx = _mm_and_si128(_mm_srli_epi32(us, 9), weightMask);
        const __m128i wy = _mm_and_si128(_mm_srli_epi32(vs, 9), weightMask);
        const __m128i ix = _mm_sub_epi32(full, wx);
        const __m128i vertical = _mm_or_si128(_mm_sub_epi32(full, wy), _mm_slli_epi32(wy, 16));
        const __m128i leftWeights =
            _mm_mullo_epi16(_mm_or_si128(ix, _mm_slli_epi32(ix, 16)), vertical);
        const __m128i rightWeights =
            _mm_mullo_epi16(_mm_or_si128(wx, _mm_slli_epi32(wx, 16)), vertical);

        const __m128i tops01 = LoadPairs(words + offsets[0], words + offsets[1]);
        const __m128i bottoms01 =
            LoadPairs(words + offsets[0] + stride, words + offsets[1] + stride);
        const __m128i tops23 = LoadPairs(words + offsets[2], words + offsets[3]);
        const __m128i bottoms23 =
            LoadPairs(words + offsets[2] + stride, words + offsets[3] + stride);

        const __m128i p0 =
            Weigh(_mm_unpacklo_epi8(tops01, bottoms01), _mm_shuffle_epi32(leftWeights, 0x00),
                  _mm_shuffle_epi32(rightWeights, 0x00));
        const __m128i p1 =
            Weigh(_mm_unpackhi_epi8(tops01, bottoms01), _mm_shuffle_epi32(leftWeights, 0x55),
                  _mm_shuffle_epi32(rightWeights, 0x55));
        const __m128i p2 =
            Weigh(_mm_unpacklo_epi8(tops23, bottoms23), _mm_shuffle_epi32(leftWeights, 0xAA),
                  _mm_shuffle_epi32(rightWeights, 0xAA));
        const __m128i p3 =
            Weigh(_mm_unpackhi_epi8(tops23, bottoms23), _mm_shuffle_epi32(leftWeights, 0xFF),
                  _mm_shuffle_epi32(rightWeights, 0xFF));
        const __m128i out = _mm_packus_epi16(_mm_packs_epi32(p0, p1), _mm_packs_epi32(p2, p3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(out, opaque));
        us = _mm_add_epi32(us, ustep);
        vs = _mm_add_epi32(vs, vstep);
    }
    if (i < count) {
        WarpRow rest = row;
        rest.u = static_cast<int32_t>(ustart + static_cast<uint32_t>(i) * du);
        rest.v = static_cast<int32_t>(vstart + static_cast<uint32_t>(i) * dv);
        WarpOpaqueRowPortable(dst + i, count - i, rest);
    }
}

}  // namespace hz::quartz
