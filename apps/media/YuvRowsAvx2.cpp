// The kernels by hand for AVX2, built with -mavx2; GCC leaves each function
// through vzeroupper. The arithmetic is the portable kernels' to the bit:
// 32-bit sums of the same terms, so both give the same bytes. Columns the
// vectors do not cover are finished by the portable pixel functions.
#include <immintrin.h>

#include "apps/media/YuvPixels.h"
#include "apps/media/YuvRows.h"

namespace media {

namespace {

// Eight chroma samples i..i+7 of U (low lane) and of V (high lane), their
// rows mixed 3:1, sixteen bits each.
inline __m256i MixRows(const uint8_t* uNear, const uint8_t* uFar, const uint8_t* vNear,
                       const uint8_t* vFar) {
    const auto eight = [](const uint8_t* p) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    };
    const __m256i n = _mm256_cvtepu8_epi16(_mm_unpacklo_epi64(eight(uNear), eight(vNear)));
    const __m256i f = _mm256_cvtepu8_epi16(_mm_unpacklo_epi64(eight(uFar), eight(vFar)));
    return _mm256_add_epi16(_mm256_add_epi16(n, _mm256_add_epi16(n, n)), f);
}

// Chroma of pixels 2i..2i+15 at eight times the value, less 8 * 128, in
// pixel order: reads samples i..i+8.
inline void SpreadChroma(const uint8_t* uNear, const uint8_t* uFar, const uint8_t* vNear,
                         const uint8_t* vFar, __m256i* u, __m256i* v) {
    const __m256i c = MixRows(uNear, uFar, vNear, vFar);
    const __m256i next = MixRows(uNear + 1, uFar + 1, vNear + 1, vFar + 1);
    const __m256i offset = _mm256_set1_epi16(8 * 128);
    const __m256i even = _mm256_sub_epi16(_mm256_add_epi16(c, c), offset);
    const __m256i odd = _mm256_sub_epi16(_mm256_add_epi16(c, next), offset);
    const __m256i first = _mm256_unpacklo_epi16(even, odd);  // U 0-7 | V 0-7
    const __m256i last = _mm256_unpackhi_epi16(even, odd);   // U 8-15 | V 8-15
    *u = _mm256_permute2x128_si256(first, last, 0x20);
    *v = _mm256_permute2x128_si256(first, last, 0x31);
}

// Each colour is one or two multiply-adds of 16-bit pairs: luma with a
// chroma, and for green the other chroma with the rounding.
void ToArgbRowAvx2(const uint8_t* y, const uint8_t* uNear, const uint8_t* uFar,
                   const uint8_t* vNear, const uint8_t* vFar, uint8_t* argb, int width,
                   const YuvMatrix& m, int16_t*) {
    const int chromaWidth = (width + 1) / 2;
    const auto pair = [](int32_t low, int32_t high) {
        return _mm256_set1_epi32(
            static_cast<int32_t>((low & 0xFFFF) | static_cast<uint32_t>(high) << 16));
    };
    const __m256i redTerms = pair(m.yScale, m.vToR), blueTerms = pair(m.yScale, m.uToB);
    const __m256i greenTerms = pair(m.yScale, -m.uToG), greenRest = pair(-m.vToG, 1 << 13);
    const __m256i half = _mm256_set1_epi32(1 << 13), one = _mm256_set1_epi16(1);
    const __m256i yOffset = _mm256_set1_epi16(static_cast<int16_t>(m.yOffset));
    const __m256i zero = _mm256_setzero_si256(), top = _mm256_set1_epi16(255);
    const __m256i alpha = _mm256_set1_epi16(0xFF);
    int x = 0;
    // Sixteen pixels need chroma samples up to x / 2 + 8.
    for (; x + 16 <= width && x / 2 + 9 <= chromaWidth; x += 16) {
        __m256i u, v;
        const int i = x / 2;
        SpreadChroma(uNear + i, uFar + i, vNear + i, vFar + i, &u, &v);
        const __m256i luma = _mm256_sub_epi16(
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(y + x))),
            yOffset);
        // The unpacks take pixels 0-3 8-11 and 4-7 12-15; packing the two
        // halves back together restores the order.
        const __m256i lumaV[2] = {_mm256_unpacklo_epi16(luma, v), _mm256_unpackhi_epi16(luma, v)};
        const __m256i lumaU[2] = {_mm256_unpacklo_epi16(luma, u), _mm256_unpackhi_epi16(luma, u)};
        const __m256i vOne[2] = {_mm256_unpacklo_epi16(v, one), _mm256_unpackhi_epi16(v, one)};
        const auto clamped = [&](__m256i half0, __m256i half1) {
            const __m256i words =
                _mm256_packs_epi32(_mm256_srai_epi32(half0, 14), _mm256_srai_epi32(half1, 14));
            return _mm256_min_epi16(_mm256_max_epi16(words, zero), top);
        };
        const auto term = [](const __m256i* pairs, int h, __m256i terms) {
            return _mm256_madd_epi16(pairs[h], terms);
        };
        const __m256i red = clamped(_mm256_add_epi32(term(lumaV, 0, redTerms), half),
                                    _mm256_add_epi32(term(lumaV, 1, redTerms), half));
        const __m256i green =
            clamped(_mm256_add_epi32(term(lumaU, 0, greenTerms), term(vOne, 0, greenRest)),
                    _mm256_add_epi32(term(lumaU, 1, greenTerms), term(vOne, 1, greenRest)));
        const __m256i blue = clamped(_mm256_add_epi32(term(lumaU, 0, blueTerms), half),
                                     _mm256_add_epi32(term(lumaU, 1, blueTerms), half));
        const __m256i alphaRed = _mm256_or_si256(alpha, _mm256_slli_epi16(red, 8));
        const __m256i greenBlue = _mm256_or_si256(green, _mm256_slli_epi16(blue, 8));
        const __m256i first = _mm256_unpacklo_epi16(alphaRed, greenBlue);   // 0-3 8-11
        const __m256i second = _mm256_unpackhi_epi16(alphaRed, greenBlue);  // 4-7 12-15
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(argb + 4 * x),
                            _mm256_permute2x128_si256(first, second, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(argb + 4 * x + 32),
                            _mm256_permute2x128_si256(first, second, 0x31));
    }
    ToArgbPixels(y, uNear, uFar, vNear, vFar, argb, x, width, m);
}

// Luma of sixteen pixels: each pixel's red and green, and blue and green,
// as 16-bit pairs, so two multiply-adds give the sum of the three terms.
// Green's term is split between them, as it is too large for one.
void LumaRowAvx2(const uint8_t* argb, uint8_t* y, int width, const YuvMatrix& m) {
    const int32_t greenFirst = std::min(m.yFromG, 32767);
    const __m256i redGreenTerms = _mm256_set1_epi32(m.yFromR | greenFirst << 16);
    const __m256i blueGreenTerms = _mm256_set1_epi32(m.yFromB | (m.yFromG - greenFirst) << 16);
    const __m256i redGreen =
        _mm256_setr_epi8(1, -1, 2, -1, 5, -1, 6, -1, 9, -1, 10, -1, 13, -1, 14, -1, 1, -1, 2, -1, 5,
                         -1, 6, -1, 9, -1, 10, -1, 13, -1, 14, -1);
    const __m256i blueGreen =
        _mm256_setr_epi8(3, -1, 2, -1, 7, -1, 6, -1, 11, -1, 10, -1, 15, -1, 14, -1, 3, -1, 2, -1,
                         7, -1, 6, -1, 11, -1, 10, -1, 15, -1, 14, -1);
    const __m256i bias = _mm256_set1_epi32((m.yOffset << 16) + (1 << 15));
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 0, 0, 0, 0);
    const auto luma = [&](const uint8_t* at) {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
        const __m256i sum =
            _mm256_add_epi32(_mm256_madd_epi16(_mm256_shuffle_epi8(p, redGreen), redGreenTerms),
                             _mm256_madd_epi16(_mm256_shuffle_epi8(p, blueGreen), blueGreenTerms));
        return _mm256_srai_epi32(_mm256_add_epi32(sum, bias), 16);
    };
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m256i words = _mm256_packs_epi32(luma(argb + 4 * x), luma(argb + 4 * x + 32));
        const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(words, words), order);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(y + x), _mm256_castsi256_si128(bytes));
    }
    for (; x < width; ++x) y[x] = LumaOf(LoadPixel(argb + 4 * x), m);
}

// Eight pixels' colours as 16-bit words: per 128-bit lane, four reds and
// four greens, then four blues and four zeros.
inline void Channels(const uint8_t* at, __m256i* redGreen, __m256i* blue) {
    const __m256i gather =
        _mm256_setr_epi8(1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, -1, -1, -1, -1, 1, 5, 9, 13, 2, 6,
                         10, 14, 3, 7, 11, 15, -1, -1, -1, -1);
    const __m256i p =
        _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)), gather);
    *redGreen = _mm256_unpacklo_epi8(p, _mm256_setzero_si256());
    *blue = _mm256_unpackhi_epi8(p, _mm256_setzero_si256());
}

inline __m256i MinusOneThreeThreeMinusOne(__m256i a, __m256i p, __m256i q, __m256i b) {
    const __m256i mid = _mm256_add_epi16(p, q);
    return _mm256_sub_epi16(_mm256_add_epi16(mid, _mm256_add_epi16(mid, mid)),
                            _mm256_add_epi16(a, b));
}

void RowSumsAvx2(const uint8_t* const argb[4], const SumRows& sums, int width) {
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        __m256i rg[4], bl[4];
        for (int row = 0; row < 4; ++row) Channels(argb[row] + 4 * x, &rg[row], &bl[row]);
        // Quadwords 0 2 1 3: the lanes' reds together, then their greens.
        const __m256i redGreen =
            _mm256_permute4x64_epi64(MinusOneThreeThreeMinusOne(rg[0], rg[1], rg[2], rg[3]), 0xD8);
        const __m256i blue =
            _mm256_permute4x64_epi64(MinusOneThreeThreeMinusOne(bl[0], bl[1], bl[2], bl[3]), 0xD8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sums.r + x), _mm256_castsi256_si128(redGreen));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sums.g + x),
                         _mm256_extracti128_si256(redGreen, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sums.b + x), _mm256_castsi256_si128(blue));
    }
    RowSumsOfColumns(argb, sums, x, width);
}

// Columns 2i-2..2i+2 of eight chroma samples, as 32-bit even and odd
// columns: sixteen sums from 2i + shift, split.
inline void EvenOdd(const int16_t* s, __m256i* even, __m256i* odd) {
    const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
    *even = _mm256_srai_epi32(_mm256_slli_epi32(w, 16), 16);
    *odd = _mm256_srai_epi32(w, 16);
}

// The column filter -1 2 6 2 -1 at columns 2i..2i+14.
inline __m256i Filtered(const int16_t* s, int x) {
    __m256i before, beforeOdd, at, atOdd, after, afterOdd;
    EvenOdd(s + x - 2, &before, &beforeOdd);
    EvenOdd(s + x, &at, &atOdd);
    EvenOdd(s + x + 2, &after, &afterOdd);
    const __m256i six = _mm256_add_epi32(_mm256_slli_epi32(at, 2), _mm256_slli_epi32(at, 1));
    const __m256i two = _mm256_slli_epi32(_mm256_add_epi32(beforeOdd, atOdd), 1);
    return _mm256_sub_epi32(_mm256_add_epi32(six, two), _mm256_add_epi32(before, after));
}

void ChromaRowAvx2(const SumRows& sums, uint8_t* u, uint8_t* v, int width, const YuvMatrix& m) {
    const int chromaWidth = (width + 1) / 2;
    const __m256i bias = _mm256_set1_epi32((128 << 21) + (1 << 20));
    const __m256i order = _mm256_setr_epi32(0, 4, 0, 0, 0, 0, 0, 0);
    const auto sample = [&](__m256i r, __m256i g, __m256i b, int32_t fr, int32_t fg, int32_t fb) {
        const __m256i sum =
            _mm256_add_epi32(_mm256_add_epi32(_mm256_mullo_epi32(r, _mm256_set1_epi32(fr)),
                                              _mm256_mullo_epi32(g, _mm256_set1_epi32(fg))),
                             _mm256_add_epi32(_mm256_mullo_epi32(b, _mm256_set1_epi32(fb)), bias));
        const __m256i words =
            _mm256_packs_epi32(_mm256_srai_epi32(sum, 21), _mm256_setzero_si256());
        return _mm256_permutevar8x32_epi32(_mm256_packus_epi16(words, words), order);
    };
    int i = 0;
    // Eight samples read the sums up to column 2i + 17, which exist up to
    // width + 1.
    for (; 2 * i + 18 <= width + 2; i += 8) {
        const __m256i r = Filtered(sums.r, 2 * i), g = Filtered(sums.g, 2 * i),
                      b = Filtered(sums.b, 2 * i);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(u + i),
                         _mm256_castsi256_si128(sample(r, g, b, m.uFromR, m.uFromG, m.uFromB)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(v + i),
                         _mm256_castsi256_si128(sample(r, g, b, m.vFromR, m.vFromG, m.vFromB)));
    }
    for (; i < chromaWidth; ++i) ChromaFromSums(sums.r, sums.g, sums.b, 2 * i, m, u + i, v + i);
}

void FromArgbRowAvx2(const uint8_t* const argb[4], uint8_t* y0, uint8_t* y1, uint8_t* u, uint8_t* v,
                     int width, const YuvMatrix& m, int16_t* scratch, bool) {
    LumaRowAvx2(argb[1], y0, width, m);
    if (y1) LumaRowAvx2(argb[2], y1, width, m);
    SumRows sums(scratch, width);
    RowSumsAvx2(argb, sums, width);
    sums.RepeatEdges(width);
    ChromaRowAvx2(sums, u, v, width, m);
}

}  // namespace

const YuvRowKernels cYuvRowsAvx2 = {ToArgbRowAvx2, FromArgbRowAvx2};

}  // namespace media
